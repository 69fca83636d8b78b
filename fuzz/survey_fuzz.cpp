// libFuzzer harness for the survey files (.sur) and control point files (.ctl): reading
// must end with the lines or a message, whatever the bytes.
#include "fuzz/fuzz_input.h"
#include "survey/survey_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace velorin;
    auto bytes = fuzz::Bytes(data, size);
    survey::ReadSurveyFile(fuzz::WriteInput("fuzz.sur", bytes));
    survey::ReadControlFile(fuzz::WriteInput("fuzz.ctl", bytes));
    return 0;
}
