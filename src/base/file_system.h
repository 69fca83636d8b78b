// The program's one way to the disk: reading whole files, replacing a file atomically,
// listing and making folders. Everything goes through Files(), so a test can put a
// double in its place that makes one step fail as a full disk, a folder without write
// permission or a failing rename would, without any trick on the real file system.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/status.h"

namespace velorin {

// The system error `error` (an errno value) in words a user reads: "没有权限",
// "磁盘空间不足", ...; the system's own text only for rare errors without words of ours.
std::string ErrorText(int error);

struct FolderEntry {
    std::string name;
    bool folder = false;  // a folder, or a link to one
    bool file = false;    // a regular file, or a link to one
};

// The steps. Each returns 0 or the errno value of its failure.
class FileSystem {
  public:
    virtual ~FileSystem() = default;
    virtual int ReadFile(const std::string& path, std::string* bytes) = 0;
    // Makes a new file for writing; fails when the name exists.
    virtual int CreateNew(const std::string& path, int* fd) = 0;
    // Writes all of `bytes`.
    virtual int Write(int fd, std::string_view bytes) = 0;
    virtual int Sync(int fd) = 0;
    virtual int Close(int fd) = 0;
    virtual int Rename(const std::string& from, const std::string& to) = 0;
    virtual int Remove(const std::string& path) = 0;
    virtual int Link(const std::string& existing, const std::string& link) = 0;
    // Makes the folder's entries (a rename into it) durable.
    virtual int SyncFolder(const std::string& folder) = 0;
    virtual int ListFolder(const std::string& folder, std::vector<FolderEntry>* entries) = 0;
    // Makes the folder and its missing parents.
    virtual int MakeFolders(const std::string& folder) = 0;
};

FileSystem& RealFileSystem();
// The file system in use: the real one unless a test put another in its place.
FileSystem& Files();
// Puts `files` in place of the real file system for its lifetime (tests).
class UseFileSystem {
  public:
    explicit UseFileSystem(FileSystem& files);
    ~UseFileSystem();
    UseFileSystem(const UseFileSystem&) = delete;
    UseFileSystem& operator=(const UseFileSystem&) = delete;

  private:
    FileSystem* previous_;
};

// Replaces the file at `path` so that it is at every moment either the complete old file
// or the complete new one, across a kill or a power cut too: the new bytes go to a
// temporary beside it, which is synced, renamed over the file, and the folder synced.
class FileReplacement {
  public:
    explicit FileReplacement(std::string path);
    // Without Commit the temporary is removed and the old file stays.
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // False once a step has failed.
    bool Write(std::string_view bytes);
    // Puts the new file in place; false (the old file stays) when a step failed.
    bool Commit();
    // Why it failed, in a user's words ("磁盘空间不足"); empty while nothing failed.
    const std::string& cause() const { return cause_; }
    // The temporary's name for a file: hidden, and the same on every save of that file.
    static std::string TemporaryOf(const std::string& path);

  private:
    void Failed(int error, std::string_view step = {});
    std::string path_, temporary_;
    int fd_ = -1;
    bool created_ = false, committed_ = false;
    std::string cause_;
};

// The bytes of a whole file; nothing on failure, with the errno value in `*error`.
std::optional<std::string> ReadFileBytes(const std::string& path, int* error = nullptr);
// Replaces the file with `bytes` as FileReplacement does; the message names the file and
// the cause.
Status WriteFileAtomically(const std::string& path, std::string_view bytes);
// The entries of a folder, sorted by name; nothing on failure, with the errno value in
// `*error`.
std::optional<std::vector<FolderEntry>> ListFolder(const std::string& folder, int* error = nullptr);

}  // namespace velorin
