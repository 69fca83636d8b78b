// What the harnesses share: the readers under test take a path, as the program gives
// them, so each input is written to a file of the right extension in a folder of this
// process's own (parallel fuzzing jobs must not overwrite each other's input).
#pragma once
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace velorin::fuzz {

// Removed at exit, so replays in CI leave nothing behind.
struct TempFolder {
    std::string path;
    TempFolder()
        : path((std::filesystem::temp_directory_path() /
                ("velorin-fuzz-" + std::to_string(getpid())))
                   .string() +
               "/") {
        std::filesystem::create_directories(path);
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

inline const std::string& Folder() {
    static const TempFolder folder;
    return folder.path;
}

// Writes `bytes` to Folder() + name and returns the path.
inline std::string WriteInput(const std::string& name, std::string_view bytes) {
    std::string path = Folder() + name;
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
}

inline std::string_view Bytes(const uint8_t* data, size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

}  // namespace velorin::fuzz
