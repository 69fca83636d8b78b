// libFuzzer harness for the DXF reader: whatever the bytes, reading must end with a
// drawing or a message; a drawing read must also serialize, and give its extents.
#include <cstddef>
#include <cstdint>
#include <string>

#include "cad/embedded/drawing.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using velorin::cad::embedded::Drawing;
    velorin::Status status;
    auto d =
        Drawing::Parse(std::string(reinterpret_cast<const char*>(data), size), "fuzz.dxf", &status);
    if (!d) return 0;
    d->Serialize();
    d->Extents();
    return 0;
}
