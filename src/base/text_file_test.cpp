#include "base/text_file.h"

#include <gtest/gtest.h>

#include "base/paths.h"
#include "support/testing.h"

namespace velorin {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

TEST(GbkTest, ChineseRoundTripsThroughTheCodePage) {
    const std::string text = "断面数据 Dmh,断1 ＸＸ市ＸＸ路横断面图 ；：（标）～";
    std::string gbk = Utf8ToGbk(text);
    EXPECT_NE(gbk, text);
    EXPECT_EQ(gbk.substr(0, 2), "\xB6\xCF");  // 断 in GBK
    EXPECT_EQ(GbkToUtf8(gbk), text);
}

TEST(GbkTest, CharactersOutsideTheCodePageBecomeQuestionMarks) {
    EXPECT_EQ(Utf8ToGbk("a\xF0\x9F\x98\x80"
                        "b"),
              "a?b");  // an emoji has no GBK code
}

TEST(GbkTest, BrokenBytesDoNotStopTheReader) {
    std::string decoded =
        GbkToUtf8(std::string("A\xFF"
                              "B",
                              3));
    EXPECT_EQ(decoded.front(), 'A');
    EXPECT_EQ(decoded.back(), 'B');
}

struct ReadCase {
    const char* name;
    std::string bytes;
    std::vector<std::string> lines;
    friend void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }
};

class ReadLinesTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ReadLinesTest, DecodesAndSplits) {
    TempDir dir;
    WriteBytes(dir.File("f.txt"), GetParam().bytes);
    TextLines read = ReadTextLines(dir.File("f.txt"));
    ASSERT_TRUE(read.status.ok());
    EXPECT_EQ(read.lines, GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(Files, ReadLinesTest,
                         ::testing::Values(ReadCase{"GbkCrLf",
                                                    "\xB6\xCF"
                                                    "1\r\n2,3\r\n",
                                                    {"断1", "2,3"}},
                                           ReadCase{"Utf8Bom",
                                                    "\xEF\xBB\xBF"
                                                    "断1\n2,3",
                                                    {"断1", "2,3"}},
                                           ReadCase{"Utf8NoBom", "断1\r\n", {"断1"}},
                                           ReadCase{"LoneCarriageReturns", "a\rb\r", {"a", "b"}},
                                           ReadCase{
                                               "EmptyLinesKept", "a\r\n\r\nb\r\n", {"a", "", "b"}},
                                           ReadCase{"Empty", "", {}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ReadLinesTest, MissingFileNamesTheFile) {
    TempDir dir;
    TextLines read = ReadTextLines(dir.File("nowhere.sur"));
    EXPECT_FALSE(read.status.ok());
    EXPECT_NE(read.status.message().find("nowhere.sur"), std::string::npos);
}

TEST(WriteLinesTest, WritesGbkWithCrLf) {
    TempDir dir;
    ASSERT_TRUE(WriteTextLines(dir.File("o.dm"), {"; 横断面图", "", "Dmh,断1"}).ok());
    EXPECT_EQ(ReadBytes(dir.File("o.dm")),
              "; \xBA\xE1\xB6\xCF\xC3\xE6\xCD\xBC\r\n\r\nDmh,\xB6\xCF"
              "1\r\n");
}

TEST(WriteLinesTest, ReplacesAnEarlierFile) {
    TempDir dir;
    WriteBytes(dir.File("o.txt"), "old old old old\r\n");
    ASSERT_TRUE(WriteTextLines(dir.File("o.txt"), {"new"}).ok());
    EXPECT_EQ(ReadBytes(dir.File("o.txt")), "new\r\n");
}

TEST(WriteLinesTest, AFailedWriteKeepsTheOldFileAndSaysWhere) {
    TempDir dir;
    WriteBytes(dir.File("keep.ini"), "old\r\n");
    // Something in the way of the file written beside the target makes the write fail.
    ASSERT_TRUE(MakeFolder(dir.File("keep.ini.tmp~")));
    Status s = WriteTextLines(dir.File("keep.ini"), {"new"});
    EXPECT_FALSE(s.ok());
    EXPECT_NE(s.message().find("keep.ini"), std::string::npos);
    EXPECT_EQ(ReadBytes(dir.File("keep.ini")), "old\r\n");
}

TEST(WriteLinesTest, AMissingFolderIsAFailureNotASuccess) {
    TempDir dir;
    Status s = WriteTextLines(dir.File("no/such/folder/x.txt"), {"x"});
    EXPECT_FALSE(s.ok());
    EXPECT_FALSE(PathExists(dir.File("no/such/folder/x.txt")));
}

}  // namespace
}  // namespace velorin
