// The one way to the disk: a write that fails at any step keeps the old file, leaves no
// temporary and says why in the user's words; so does a read.
#include "base/file_system.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "base/text_file.h"
#include "support/faulty_files.h"
#include "support/testing.h"

namespace velorin {
namespace {

using testing::FaultyFiles;
using testing::TempDir;

std::vector<std::string> Names(const TempDir& dir) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
        names.push_back(e.path().filename().string());
    return names;
}

TEST(FileReplacement, AFailedTextWriteKeepsTheOldFileAndSaysWhy) {
    for (const testing::SaveFault& fault : testing::kSaveFaults) {
        SCOPED_TRACE(fault.name);
        TempDir dir;
        std::string path = dir.File("断面.dm");
        testing::WriteBytes(path, "old\r\n");
        FaultyFiles files;
        files.Fail(fault.step, fault.error);
        Status s = WriteTextLines(path, {"new"});
        ASSERT_FALSE(s.ok());
        EXPECT_EQ(s.message().find("无法写入文件“" + path + "”："), 0u) << s.message();
        EXPECT_NE(s.message().find(fault.cause), std::string::npos) << s.message();
        EXPECT_EQ(testing::ReadBytes(path), "old\r\n");
        EXPECT_EQ(Names(dir), std::vector<std::string>{"断面.dm"});
        // Once the disk is well again the same write goes through.
        files.Fail(fault.step, 0);
        ASSERT_TRUE(WriteTextLines(path, {"new"}).ok());
        EXPECT_EQ(testing::ReadBytes(path), "new\r\n");
    }
}

TEST(FileReplacement, TheTemporaryOfASaveThatWasKilledIsNoObstacle) {
    TempDir dir;
    std::string path = dir.File("r.cor");
    testing::WriteBytes(path, "old");
    testing::WriteBytes(FileReplacement::TemporaryOf(path), "half of a new f");
    ASSERT_TRUE(WriteFileAtomically(path, "new").ok());
    EXPECT_EQ(testing::ReadBytes(path), "new");
    EXPECT_EQ(Names(dir), std::vector<std::string>{"r.cor"});
}

// Every system error reaches the user in Chinese, from the real file system where a real
// failure is easy to come by, else from the double.
TEST(ErrorText, SystemErrorsAreToldInTheUsersWords) {
    TempDir dir;
    testing::WriteBytes(dir.File("plain"), "x");
    struct Row {
        const char* name;
        std::string path;
        int injected;  // 0: the real failure of `path`
        std::string words;
    };
    const Row rows[] = {
        {"missing file", dir.File("none.cor"), 0, "文件或文件夹不存在"},
        {"a folder", dir.path(), 0, "这是文件夹，不是文件"},
        {"below a file", dir.File("plain/x.cor"), 0, "路径中有一项不是文件夹"},
        {"name too long", dir.File(std::string(300, 'x')), 0, "文件名过长"},
        {"permission", dir.File("plain"), EACCES, "没有权限"},
        {"operation not permitted", dir.File("plain"), EPERM, "没有权限"},
        {"read-only file system", dir.File("plain"), EROFS, "只读文件系统"},
        {"disk full", dir.File("plain"), ENOSPC, "磁盘空间不足"},
        {"quota", dir.File("plain"), EDQUOT, "超出磁盘配额"},
        {"exists", dir.File("plain"), EEXIST, "文件已存在"},
        {"busy", dir.File("plain"), EBUSY, "文件被占用"},
        {"disk error", dir.File("plain"), EIO, "读写错误"},
        {"too many open files", dir.File("plain"), EMFILE, "打开的文件过多"},
        {"across file systems", dir.File("plain"), EXDEV, "不能跨文件系统移动"},
        {"rare", dir.File("plain"), EPROTO,
         "系统错误 " + std::to_string(EPROTO) + "（" + std::strerror(EPROTO) + "）"},
    };
    for (const Row& row : rows) {
        FaultyFiles files;
        if (row.injected) files.Fail(FaultyFiles::Step::Read, row.injected);
        EXPECT_EQ(ReadTextLines(row.path).status.message(),
                  "无法打开文件“" + row.path + "”：" + row.words)
            << row.name;
    }
}

}  // namespace
}  // namespace velorin
