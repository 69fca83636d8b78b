// Replays the inputs fuzzing found (tests/data/fuzz-regressions/<harness>/) through a
// harness in an ordinary build: each must be read to an end without a crash, a
// sanitizer report (the CI's sanitizer build) or running past the test's time limit.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    size_t replayed = 0;
    for (const auto& f : std::filesystem::directory_iterator(argv[1])) {
        std::ifstream in(f.path(), std::ios::binary);
        std::string bytes{std::istreambuf_iterator<char>(in), {}};
        std::printf("%s\n", f.path().filename().c_str());
        std::fflush(stdout);
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
        ++replayed;
    }
    // An empty folder would pass without testing anything.
    if (replayed == 0) {
        std::fprintf(stderr, "no input in %s\n", argv[1]);
        return 1;
    }
    std::printf("%zu inputs replayed\n", replayed);
    return 0;
}
