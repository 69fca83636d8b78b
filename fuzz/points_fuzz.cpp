// libFuzzer harness for point files: coordinate (.cor) and control point (.ctl) files
// loaded into the store's Ctl table as the plotting page does.
#include "cad/point_plot.h"
#include "fuzz/store_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace velorin;
    auto bytes = fuzz::Bytes(data, size);
    std::vector<std::string> cor{fuzz::WriteInput("fuzz.cor", bytes)};
    std::vector<std::string> ctl{fuzz::WriteInput("fuzz.ctl", bytes)};
    cad::LoadPointFiles(fuzz::Store(), cor, cad::PointFileType::Coordinates);
    cad::LoadPointFiles(fuzz::Store(), ctl, cad::PointFileType::Control);
    return 0;
}
