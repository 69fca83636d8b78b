// A file system for tests that fails one chosen step with a chosen system error, as a
// full disk (ENOSPC), a folder the user may not write (EACCES) or a rename that fails
// would, and does everything else on the real disk. It stands in for the real file
// system while it lives.
#pragma once

#include <cerrno>
#include <string>

#include "base/file_system.h"

namespace velorin::testing {

class FaultyFiles : public FileSystem {
  public:
    enum class Step { Read, Create, Write, Sync, Rename, Link, List, MakeFolder };

    FaultyFiles() : use_(*this) {}
    // From now on every `step` fails with `error` (0: none fails).
    void Fail(Step step, int error) {
        step_ = step;
        error_ = error;
    }

    int ReadFile(const std::string& path, std::string* bytes) override {
        return Or(Step::Read, [&] { return real_.ReadFile(path, bytes); });
    }
    int CreateNew(const std::string& path, int* fd) override {
        return Or(Step::Create, [&] { return real_.CreateNew(path, fd); });
    }
    int Write(int fd, std::string_view bytes) override {
        // A full disk takes part of the bytes before it refuses the rest.
        if (step_ == Step::Write && error_) (void)real_.Write(fd, bytes.substr(0, 1));
        return Or(Step::Write, [&] { return real_.Write(fd, bytes); });
    }
    int Sync(int fd) override {
        return Or(Step::Sync, [&] { return real_.Sync(fd); });
    }
    int Close(int fd) override { return real_.Close(fd); }
    int Rename(const std::string& from, const std::string& to) override {
        return Or(Step::Rename, [&] { return real_.Rename(from, to); });
    }
    int Remove(const std::string& path) override { return real_.Remove(path); }
    int Link(const std::string& existing, const std::string& link) override {
        return Or(Step::Link, [&] { return real_.Link(existing, link); });
    }
    int SyncFolder(const std::string& folder) override { return real_.SyncFolder(folder); }
    int ListFolder(const std::string& folder, std::vector<FolderEntry>* entries) override {
        return Or(Step::List, [&] { return real_.ListFolder(folder, entries); });
    }
    int MakeFolders(const std::string& folder) override {
        return Or(Step::MakeFolder, [&] { return real_.MakeFolders(folder); });
    }

  private:
    template <class Call>
    int Or(Step step, Call call) {
        int error = Fault(step);
        return error ? error : call();
    }
    int Fault(Step step) const { return step == step_ ? error_ : 0; }

    FileSystem& real_ = RealFileSystem();
    UseFileSystem use_;
    Step step_ = Step::Read;
    int error_ = 0;
};

// The ways a save fails that every writer of a user's file must survive: the old file
// stays and the message names the file and `cause`.
struct SaveFault {
    const char* name;
    FaultyFiles::Step step;
    int error;
    const char* cause;
};
inline constexpr SaveFault kSaveFaults[] = {
    {"folder without write permission", FaultyFiles::Step::Create, EACCES, "没有权限"},
    {"disk full while writing", FaultyFiles::Step::Write, ENOSPC, "磁盘空间不足"},
    {"disk error while syncing", FaultyFiles::Step::Sync, EIO, "读写错误"},
    {"rename over the old file fails", FaultyFiles::Step::Rename, EBUSY, "文件被占用"},
};

}  // namespace velorin::testing
