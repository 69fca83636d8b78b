#include "app/user_copies.h"

#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "base/file_system.h"
#include "base/paths.h"

namespace velorin::app {

namespace {

constexpr const char* kFolderName = "velorin";

// An XDG variable counts only when it holds an absolute path.
std::string XdgFolder(const EnvironmentLookup& env, const char* name, const std::string& home,
                      const char* fallback) {
    const char* value = env(name);
    if (value && value[0] == '/') return JoinPath(value, kFolderName) + kSeparator;
    return home + fallback + kSeparator + kFolderName + kSeparator;
}

// Writable for this process's effective user, as the kernel will judge the write.
bool Writable(const std::string& path) {
    return faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

std::string FolderOrCurrent(const std::string& file) {
    std::string folder = FolderOf(file);
    return folder.empty() ? std::string(".") : folder;
}

}  // namespace

Status FindUserFolders(const EnvironmentLookup& env, UserFolders* folders) {
    std::string home;
    if (const char* value = env("HOME"); value && value[0] == '/') home = value;
    if (home.empty()) {
        // Started without a login environment (a service, a bare sudo): ask the system.
        if (const passwd* entry = getpwuid(geteuid());
            entry && entry->pw_dir && entry->pw_dir[0] == '/')
            home = entry->pw_dir;
    }
    if (home.empty())
        return Status::Error(
            "找不到本用户的主文件夹（环境变量 HOME 未设定，系统用户表中也没有），"
            "无法建立个人的工作数据库和设置文件。");
    folders->home = WithTrailingSeparator(home);
    folders->data = XdgFolder(env, "XDG_DATA_HOME", folders->home, ".local/share");
    folders->config = XdgFolder(env, "XDG_CONFIG_HOME", folders->home, ".config");
    return Status::Ok();
}

Status FindUserFolders(UserFolders* folders) {
    return FindUserFolders([](const char* name) { return std::getenv(name); }, folders);
}

bool CanReplaceInPlace(const std::string& file) { return Writable(FolderOrCurrent(file)); }

bool CanWriteStoreInPlace(const std::string& file) {
    return Writable(file) && Writable(FolderOrCurrent(file));
}

Status CopyFileMakingFolders(const std::string& from, const std::string& to) {
    int error = 0;
    std::optional<std::string> bytes = ReadFileBytes(from, &error);
    if (!bytes) return Status::Error("无法读取文件“" + from + "”：" + ErrorText(error));
    std::string folder = FolderOf(to);
    if (!folder.empty())
        if (Status made = MakeFolder(folder); !made.ok()) return made;
    return WriteFileAtomically(to, *bytes);
}

}  // namespace velorin::app
