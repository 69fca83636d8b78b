#include "base/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "base/paths.h"

namespace velorin {

std::string ErrorText(int error) {
    switch (error) {
        case EACCES:
        case EPERM:
            return "没有权限";
        case ENOSPC:
            return "磁盘空间不足";
        case EDQUOT:
            return "超出磁盘配额";
        case ENOENT:
            return "文件或文件夹不存在";
        case EROFS:
            return "只读文件系统";
        case EISDIR:
            return "这是文件夹，不是文件";
        case ENOTDIR:
            return "路径中有一项不是文件夹";
        case EEXIST:
            return "文件已存在";
        case EBUSY:
        case ETXTBSY:
            return "文件被占用";
        case EIO:
            return "读写错误";
        case ENAMETOOLONG:
            return "文件名过长";
        case EMFILE:
        case ENFILE:
            return "打开的文件过多";
        case EXDEV:
            return "不能跨文件系统移动";
        case ENOTEMPTY:
            return "文件夹不是空的";
        case ELOOP:
            return "符号链接层次过多";
        case EFBIG:
            return "文件过大";
        case ENOMEM:
            return "内存不足";
        case ESTALE:
            return "网络文件已失效";
        case EINTR:
            return "操作被中断";
    }
    return std::string("系统错误 ") + std::to_string(error) + "（" + std::strerror(error) + "）";
}

namespace {

// Retries a call that a signal interrupted.
template <class Call>
auto Retrying(Call call) {
    auto r = call();
    while (r < 0 && errno == EINTR) r = call();
    return r;
}

class PosixFileSystem : public FileSystem {
  public:
    int ReadFile(const std::string& path, std::string* bytes) override {
        int fd = Retrying([&] { return ::open(path.c_str(), O_RDONLY | O_CLOEXEC); });
        if (fd < 0) return errno;
        struct stat st {};
        if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
            ::close(fd);
            return EISDIR;
        }
        bytes->clear();
        // The size is a hint only: a file may grow or shrink while it is read.
        if (st.st_size > 0) bytes->reserve(static_cast<size_t>(st.st_size) + 1);
        char buffer[1 << 16];
        for (;;) {
            ssize_t n = Retrying([&] { return ::read(fd, buffer, sizeof buffer); });
            if (n < 0) {
                int error = errno;
                ::close(fd);
                return error;
            }
            if (n == 0) break;
            bytes->append(buffer, static_cast<size_t>(n));
        }
        ::close(fd);
        return 0;
    }

    int CreateNew(const std::string& path, int* fd) override {
        *fd = Retrying(
            [&] { return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666); });
        return *fd < 0 ? errno : 0;
    }

    int Write(int fd, std::string_view bytes) override {
        while (!bytes.empty()) {
            ssize_t n = Retrying([&] { return ::write(fd, bytes.data(), bytes.size()); });
            if (n < 0) return errno;
            bytes.remove_prefix(static_cast<size_t>(n));
        }
        return 0;
    }

    int Sync(int fd) override {
        return Retrying([&] { return ::fsync(fd); }) < 0 ? errno : 0;
    }

    // Not retried: on Linux the descriptor is gone even when close reports EINTR.
    int Close(int fd) override { return ::close(fd) < 0 && errno != EINTR ? errno : 0; }

    int Rename(const std::string& from, const std::string& to) override {
        return ::rename(from.c_str(), to.c_str()) < 0 ? errno : 0;
    }

    int Remove(const std::string& path) override { return ::unlink(path.c_str()) < 0 ? errno : 0; }

    int Link(const std::string& existing, const std::string& link) override {
        return ::link(existing.c_str(), link.c_str()) < 0 ? errno : 0;
    }

    int SyncFolder(const std::string& folder) override {
        int fd = Retrying([&] {
            return ::open(folder.empty() ? "." : folder.c_str(),
                          O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        });
        if (fd < 0) return errno;
        int r = Retrying([&] { return ::fsync(fd); });
        int error = r < 0 ? errno : 0;
        ::close(fd);
        // Some file systems cannot sync a folder at all; nothing more can be done there.
        return error == EINVAL || error == ENOTSUP ? 0 : error;
    }

    int ListFolder(const std::string& folder, std::vector<FolderEntry>* entries) override {
        DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
        if (!dir) return errno;
        entries->clear();
        int error = 0;
        for (;;) {
            errno = 0;
            const dirent* d = ::readdir(dir);
            if (!d) {
                error = errno;
                break;
            }
            std::string_view name = d->d_name;
            if (name == "." || name == "..") continue;
            FolderEntry e{std::string(name)};
            if (d->d_type == DT_DIR || d->d_type == DT_REG) {
                e.folder = d->d_type == DT_DIR;
                e.file = d->d_type == DT_REG;
            } else {
                // A link, or a file system that does not say: what the name leads to.
                struct stat st {};
                if (::fstatat(::dirfd(dir), d->d_name, &st, 0) == 0) {
                    e.folder = S_ISDIR(st.st_mode);
                    e.file = S_ISREG(st.st_mode);
                }
            }
            entries->push_back(std::move(e));
        }
        ::closedir(dir);
        return error;
    }

    int MakeFolders(const std::string& folder) override {
        std::string path = folder;
        while (path.size() > 1 && path.back() == kSeparator) path.pop_back();
        if (path.empty()) return ENOENT;
        struct stat st {};
        if (::stat(path.c_str(), &st) == 0) return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
        size_t slash = path.find_last_of(kSeparator);
        if (slash != std::string::npos && slash > 0)
            if (int error = MakeFolders(path.substr(0, slash))) return error;
        if (::mkdir(path.c_str(), 0777) < 0 && errno != EEXIST) return errno;
        return 0;
    }
};

FileSystem* in_use = nullptr;

}  // namespace

FileSystem& RealFileSystem() {
    static PosixFileSystem real;
    return real;
}

FileSystem& Files() { return in_use ? *in_use : RealFileSystem(); }

UseFileSystem::UseFileSystem(FileSystem& files) : previous_(in_use) { in_use = &files; }
UseFileSystem::~UseFileSystem() { in_use = previous_; }

// The temporary has one fixed name per file, so a save killed half-way leaves at most one
// of them, and the next save of that file removes it before it starts its own; it is
// hidden, so it shows in no file list meanwhile. It is always created anew, never opened
// where it exists, so a link planted under its name is not followed. Two processes saving
// the same file at the same moment are not kept apart.
std::string FileReplacement::TemporaryOf(const std::string& path) {
    return FolderOf(path) + "." + FileName(path) + ".velorin-saving";
}

FileReplacement::FileReplacement(std::string path)
    : path_(std::move(path)), temporary_(TemporaryOf(path_)) {
    FileSystem& files = Files();
    int error = files.Remove(temporary_);  // one left by a save that was killed; usually none
    if (error == ENOENT) error = 0;
    if (!error) error = files.CreateNew(temporary_, &fd_);
    created_ = !error;
    if (error) {
        fd_ = -1;
        Failed(error, "无法在所在文件夹中建立文件");
    }
}

FileReplacement::~FileReplacement() {
    if (committed_) return;
    if (fd_ >= 0) (void)Files().Close(fd_);
    if (created_) (void)Files().Remove(temporary_);
}

void FileReplacement::Failed(int error, std::string_view step) {
    if (!cause_.empty()) return;
    cause_ = step.empty() ? ErrorText(error) : std::string(step) + "（" + ErrorText(error) + "）";
}

bool FileReplacement::Write(std::string_view bytes) {
    if (!cause_.empty()) return false;
    if (int error = Files().Write(fd_, bytes)) Failed(error);
    return cause_.empty();
}

bool FileReplacement::Commit() {
    if (!cause_.empty() || committed_) return committed_;
    FileSystem& files = Files();
    int error = files.Sync(fd_);
    int closed = files.Close(fd_);
    fd_ = -1;
    if (error || closed) {
        Failed(error ? error : closed);
        return false;
    }
    if (int renamed = files.Rename(temporary_, path_)) {
        Failed(renamed, "无法替换原文件");
        return false;
    }
    committed_ = true;
    // The rename is durable only once the folder is: until then a power cut may bring
    // back the old file (never a broken one).
    if (int synced = files.SyncFolder(FolderOf(path_))) {
        Failed(synced, "已写入，但无法确认已存入磁盘");
        return false;
    }
    return true;
}

std::optional<std::string> ReadFileBytes(const std::string& path, int* error) {
    std::string bytes;
    int e = Files().ReadFile(path, &bytes);
    if (error) *error = e;
    if (e) return std::nullopt;
    return bytes;
}

Status WriteFileAtomically(const std::string& path, std::string_view bytes) {
    FileReplacement out(path);
    if (out.Write(bytes) && out.Commit()) return Status::Ok();
    return Status::Error("无法写入文件“" + path + "”：" + out.cause());
}

std::optional<std::vector<FolderEntry>> ListFolder(const std::string& folder, int* error) {
    std::vector<FolderEntry> entries;
    int e = Files().ListFolder(folder, &entries);
    if (error) *error = e;
    if (e) return std::nullopt;
    std::sort(entries.begin(), entries.end(),
              [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
    return entries;
}

}  // namespace velorin
