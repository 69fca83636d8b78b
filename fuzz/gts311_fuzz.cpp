// libFuzzer harness for Topcon GTS-311 raw files (.dat), read and converted as the
// conversion page does.
#include "fuzz/fuzz_input.h"
#include "survey/conversion.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace velorin;
    survey::ConvertRawFile(fuzz::WriteInput("fuzz.dat", fuzz::Bytes(data, size)),
                           survey::RawModel::Gts311, 20, "2026-1-1 08:00:00");
    return 0;
}
