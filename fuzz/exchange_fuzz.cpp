// libFuzzer harness for the section exchange formats, through the reader that picks the
// format by content: LandXML (input starting with '<'), .hdm (the road-design package's
// with its .DMX, or the survey package's) and .csv otherwise. For the road-design
// package's files the input holds both: the .hdm, a line "#DMX", then the .DMX.
#include "fuzz/fuzz_input.h"
#include "sectionfile/exchange.h"
#include "sectionfile/hintcad.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace velorin;
    std::string_view bytes = fuzz::Bytes(data, size);
    std::string_view head = bytes.substr(0, 64);
    std::string path;
    if (head.find('<') != std::string_view::npos) {
        path = fuzz::WriteInput("fuzz.xml", bytes);
    } else if (head.find(sectionfile::kHdmMagic) != std::string_view::npos ||
               bytes.find("BEGIN") != std::string_view::npos) {
        std::string_view hdm = bytes, dmx;
        if (auto at = bytes.find("\n#DMX\n"); at != std::string_view::npos) {
            hdm = bytes.substr(0, at + 1);
            dmx = bytes.substr(at + 6);
        }
        fuzz::WriteInput("fuzz.DMX", dmx);
        path = fuzz::WriteInput("fuzz.hdm", hdm);
    } else {
        path = fuzz::WriteInput("fuzz.csv", bytes);
    }
    sectionfile::ReadExchangeFile(path);
    return 0;
}
