// libFuzzer harness for section data files (.dm): the lines of the file read into the
// working store as the section page does.
#include "base/text_file.h"
#include "fuzz/store_input.h"
#include "sectionfile/section_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace velorin;
    TextLines file = ReadTextLines(fuzz::WriteInput("fuzz.dm", fuzz::Bytes(data, size)));
    if (!file.status.ok()) return 0;
    sectionfile::ReadSectionFile(file.lines, fuzz::Store());
    sectionfile::SectionsOfStore(fuzz::Store());
    return 0;
}
