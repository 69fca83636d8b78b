#include "base/paths.h"

#include <filesystem>
#include <system_error>

#include "base/file_system.h"

namespace velorin {

namespace fs = std::filesystem;

std::string WithTrailingSeparator(std::string_view folder) {
    std::string out(folder);
    if (out.empty() || out.back() != kSeparator) out.push_back(kSeparator);
    return out;
}

std::string JoinPath(std::string_view folder, std::string_view name) {
    if (folder.empty()) return std::string(name);
    return WithTrailingSeparator(folder) + std::string(name);
}

std::string FileName(std::string_view path) {
    size_t at = path.find_last_of(kSeparator);
    return std::string(at == std::string_view::npos ? path : path.substr(at + 1));
}

std::string FolderOf(std::string_view path) {
    size_t at = path.find_last_of(kSeparator);
    return at == std::string_view::npos ? std::string() : std::string(path.substr(0, at + 1));
}

std::string ReplaceExtension(std::string_view path, std::string_view ending) {
    std::string folder = FolderOf(path), name = FileName(path);
    size_t dot = name.find_last_of('.');
    if (dot != std::string::npos) name.resize(dot);
    return folder + name + std::string(ending);
}

bool PathExists(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::exists(fs::u8path(path), ec);
}

bool IsFolder(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::is_directory(fs::u8path(path), ec);
}

Status MakeFolder(const std::string& path) {
    if (int error = Files().MakeFolders(path))
        return Status::Error("无法建立文件夹“" + path + "”：" + ErrorText(error));
    return Status::Ok();
}

std::string ExecutableDir() {
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec) return WithTrailingSeparator(fs::current_path().string());
    return WithTrailingSeparator(exe.parent_path().string());
}

}  // namespace velorin
