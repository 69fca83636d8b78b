// libFuzzer harness for Velorin.ini: any file must leave usable settings, and they must
// write back out.
#include "app/settings.h"
#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace velorin;
    app::Settings settings = app::Settings::Defaults(fuzz::Folder());
    app::ReadSettingsFile(fuzz::WriteInput("Velorin.ini", fuzz::Bytes(data, size)), settings);
    app::SettingsFileLines(settings);
    return 0;
}
