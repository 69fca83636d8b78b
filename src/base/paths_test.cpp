#include "base/paths.h"

#include <gtest/gtest.h>

namespace velorin {
namespace {

// Every file named after another (.sur after a raw file, .cor/.log/(支).ctl after a
// survey file, （标）.dm and （左右）.Txt after a section file) lies beside it.
TEST(ReplaceExtensionTest, TheNewFileLiesBesideTheOld) {
    struct Row {
        const char* name;
        const char* path;
        const char* ending;
        const char* expected;
    };
    const Row rows[] = {
        {"three letters", "/data/r1.dat", ".sur", "/data/r1.sur"},
        {"longer ending", "/data/r1.cor", "(支).ctl", "/data/r1(支).ctl"},
        {"chinese names", "/数据/测量.idx", ".sur", "/数据/测量.sur"},
        {"two letters", "/data/断面数据/路1.dm", "（标）.dm", "/data/断面数据/路1（标）.dm"},
        {"no extension stays in its folder", "/w/data/rw", ".sur", "/w/data/rw.sur"},
        {"short name without extension", "/w/data/a", ".sur", "/w/data/a.sur"},
        {"trailing dot", "/w/jkv.", ".sur", "/w/jkv.sur"},
        {"one-letter extension", "/w/jkv.d", ".sur", "/w/jkv.sur"},
        {"long extension", "/w/raw.gts311", ".sur", "/w/raw.sur"},
        {"dot in a folder name", "/w/v1.2/raw", ".sur", "/w/v1.2/raw.sur"},
        {"only an extension", "/w/.sur", ".cor", "/w/.cor"},
        {"bare name", "r1.dat", ".sur", "r1.sur"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(ReplaceExtension(row.path, row.ending), row.expected) << row.name;
}

}  // namespace
}  // namespace velorin
