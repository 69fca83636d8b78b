// Where a user's own copies go, and when the program folder counts as not writable: as
// the ordinary user who meets an installed, root-owned program folder.
#include "app/user_copies.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <map>

#include "base/paths.h"
#include "support/faulty_files.h"
#include "support/testing.h"

namespace velorin::app {
namespace {

TEST(UserFolders, FollowTheXdgRules) {
    struct Row {
        const char* name;
        std::map<std::string, std::string> env;
        const char* data;
        const char* config;
    };
    const Row rows[] = {
        {"defaults under the home folder",
         {{"HOME", "/home/li"}},
         "/home/li/.local/share/velorin/",
         "/home/li/.config/velorin/"},
        {"XDG folders set",
         {{"HOME", "/home/li/"}, {"XDG_DATA_HOME", "/d"}, {"XDG_CONFIG_HOME", "/c/"}},
         "/d/velorin/",
         "/c/velorin/"},
        {"relative or empty XDG folders are ignored",
         {{"HOME", "/home/li"}, {"XDG_DATA_HOME", "rel/data"}, {"XDG_CONFIG_HOME", ""}},
         "/home/li/.local/share/velorin/",
         "/home/li/.config/velorin/"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        UserFolders folders;
        Status s = FindUserFolders(
            [&](const char* name) -> const char* {
                auto it = row.env.find(name);
                return it == row.env.end() ? nullptr : it->second.c_str();
            },
            &folders);
        ASSERT_TRUE(s.ok()) << s.message();
        EXPECT_EQ(folders.data, row.data);
        EXPECT_EQ(folders.config, row.config);
        EXPECT_EQ(folders.home.back(), '/');
    }
}

TEST(UserFolders, WithoutHomeTheSystemsUserTableAnswers) {
    UserFolders folders;
    ASSERT_TRUE(FindUserFolders([](const char*) -> const char* { return nullptr; }, &folders).ok());
    const passwd* me = getpwuid(geteuid());
    ASSERT_NE(me, nullptr);
    EXPECT_EQ(folders.config, WithTrailingSeparator(me->pw_dir) + ".config/velorin/");
}

TEST(UserCopies, CopyMakesTheFoldersAndKeepsTheBytes) {
    testing::TempDir dir;
    testing::WriteBytes(dir.File("Velorin.mdb"), std::string("SQLite\0bytes", 12));
    std::string to = dir.File("a/b/velorin/Velorin.mdb");
    ASSERT_TRUE(CopyFileMakingFolders(dir.File("Velorin.mdb"), to).ok());
    EXPECT_EQ(testing::ReadBytes(to), std::string("SQLite\0bytes", 12));
    Status missing = CopyFileMakingFolders(dir.File("none.mdb"), dir.File("x/none.mdb"));
    ASSERT_FALSE(missing.ok());
    EXPECT_NE(missing.message().find(dir.File("none.mdb")), std::string::npos);
}

// The store copied to a user's own folder appears whole or not at all, whatever step
// fails; the message names the copy (or the folder) and the cause, and the next start
// copies it.
TEST(UserCopies, AFailedCopyOfTheStoreLeavesNoHalfCopyAndSaysWhy) {
    struct Row {
        const char* name;
        testing::FaultyFiles::Step step;
        int error;
        const char* cause;
        bool names_folder;
    };
    std::vector<Row> rows;
    for (const testing::SaveFault& f : testing::kSaveFaults)
        rows.push_back({f.name, f.step, f.error, f.cause, false});
    rows.push_back({"data folder cannot be made", testing::FaultyFiles::Step::MakeFolder, EACCES,
                    "没有权限", true});
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        testing::TempDir dir;
        testing::WriteBytes(dir.File("Velorin.mdb"), "SQLite format 3");
        std::string to = dir.File("data/velorin/Velorin.mdb");
        testing::FaultyFiles files;
        files.Fail(row.step, row.error);
        Status s = CopyFileMakingFolders(dir.File("Velorin.mdb"), to);
        ASSERT_FALSE(s.ok());
        EXPECT_NE(s.message().find(row.names_folder ? FolderOf(to) : to), std::string::npos)
            << s.message();
        EXPECT_NE(s.message().find(row.cause), std::string::npos) << s.message();
        EXPECT_FALSE(PathExists(to));
        if (IsFolder(FolderOf(to))) {
            EXPECT_TRUE(std::filesystem::is_empty(FolderOf(to)));
        }
        files.Fail(row.step, 0);
        ASSERT_TRUE(CopyFileMakingFolders(dir.File("Velorin.mdb"), to).ok());
        EXPECT_EQ(testing::ReadBytes(to), "SQLite format 3");
    }
}

// Runs `check` in a child process as an ordinary user (nobody when the test runs as
// root, who may write anywhere); returns its exit status.
int AsOrdinaryUser(const std::function<int()>& check) {
    pid_t pid = fork();
    if (pid == 0) {
        if (geteuid() == 0) {
            const passwd* nobody = getpwnam("nobody");
            if (!nobody || setgroups(0, nullptr) != 0 || setgid(nobody->pw_gid) != 0 ||
                setuid(nobody->pw_uid) != 0)
                _exit(99);
        }
        _exit(check());
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(UserCopies, ReadOnlyProgramFolderIsNotWrittenInPlace) {
    testing::TempDir dir;
    std::string program = dir.File("program/");
    std::filesystem::create_directory(program);
    testing::WriteBytes(program + "Velorin.mdb", "store");
    chmod(dir.path().c_str(), 0755);
    chmod((program + "Velorin.mdb").c_str(), 0444);
    chmod(program.c_str(), 0555);
    // Bit 1: settings replaceable in place; bit 2: store writable in place.
    int read_only = AsOrdinaryUser([&] {
        return (CanReplaceInPlace(program + "Velorin.ini") ? 1 : 0) |
               (CanWriteStoreInPlace(program + "Velorin.mdb") ? 2 : 0);
    });
    ASSERT_NE(read_only, 99) << "cannot become the user nobody";
    EXPECT_EQ(read_only, 0);

    // A writable folder with a store file that is read-only: the settings stay, the
    // store cannot.
    chmod(program.c_str(), 0777);
    int mixed = AsOrdinaryUser([&] {
        return (CanReplaceInPlace(program + "Velorin.ini") ? 1 : 0) |
               (CanWriteStoreInPlace(program + "Velorin.mdb") ? 2 : 0);
    });
    EXPECT_EQ(mixed, 1);
    chmod((program + "Velorin.mdb").c_str(), 0666);
    EXPECT_EQ(AsOrdinaryUser([&] {
                  return (CanReplaceInPlace(program + "Velorin.ini") ? 1 : 0) |
                         (CanWriteStoreInPlace(program + "Velorin.mdb") ? 2 : 0);
              }),
              3);
}

}  // namespace
}  // namespace velorin::app
