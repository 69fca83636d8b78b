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

struct OutsideCase {
    const char* name;
    std::string utf8;
    std::string bytes;  // GB18030
};

class OutsideGbkTest : public ::testing::TestWithParam<OutsideCase> {};

TEST_P(OutsideGbkTest, IsKeptInGb18030AndReadBack) {
    bool outside = false;
    EXPECT_EQ(Utf8ToGbk(GetParam().utf8, &outside), GetParam().bytes);
    EXPECT_TRUE(outside);
    EXPECT_EQ(GbkToUtf8(GetParam().bytes), GetParam().utf8);
}

INSTANTIATE_TEST_SUITE_P(Characters, OutsideGbkTest,
                         ::testing::Values(OutsideCase{"LatinOWithStroke",
                                                       "P\xC3\x98"
                                                       "1",
                                                       "P\x81\x30\x89\x31"
                                                       "1"},
                                           OutsideCase{"Hangul",
                                                       "\xED\x95\x9C"
                                                       "1",
                                                       "\x83\x36\x84\x33"
                                                       "1"},
                                           OutsideCase{"Emoji",
                                                       "a\xF0\x9F\x98\x80"
                                                       "b",
                                                       "a\x94\x39\xFC\x36"
                                                       "b"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(GbkTest, GbkCharactersKeepTheirGbkBytes) {
    bool outside = true;
    EXPECT_EQ(Utf8ToGbk("水准1 桩1 路2 站 ；（标）", &outside),
              "\xCB\xAE\xD7\xBC"
              "1 \xD7\xAE"
              "1 \xC2\xB7"
              "2 \xD5\xBE \xA3\xBB\xA3\xA8\xB1\xEA\xA3\xA9");
    EXPECT_FALSE(outside);
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

// GBK whose bytes also happen to be valid UTF-8 is still GBK; UTF-8 is recognised by
// its mark, by being Chinese text, or by not being GBK at all.
struct DecodeCase {
    const char* name;
    std::string bytes;
    std::string text;
    friend void PrintTo(const DecodeCase& c, std::ostream* os) { *os << c.name; }
};

class DecodeTextTest : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeTextTest, ReadsTheNamesTheUserWrote) {
    EXPECT_EQ(DecodeText(GetParam().bytes), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Files, DecodeTextTest,
    ::testing::Values(DecodeCase{"GbkShuiZhun",
                                 "\xCB\xAE\xD7\xBC"
                                 "1,512001.340,3420000.000\r\n",
                                 "水准1,512001.340,3420000.000\r\n"},
                      DecodeCase{"GbkZhuang",
                                 "Dmh,\xD7\xAE"
                                 "1\r\n",
                                 "Dmh,桩1\r\n"},
                      DecodeCase{"GbkLu",
                                 "Dmh,\xC2\xB7"
                                 "2\r\n",
                                 "Dmh,路2\r\n"},
                      DecodeCase{"GbkZhan", "\xD5\xBE", "站"},
                      DecodeCase{"GbkMixedAscii",
                                 "K1,\xCB\xAE\xD7\xBC"
                                 "1,\xD7\xAE"
                                 "1,\xC2\xB7"
                                 "2,\xD5\xBE,1.0\r\n",
                                 "K1,水准1,桩1,路2,站,1.0\r\n"},
                      DecodeCase{"Utf8ShuiZhun", "水准1,1.0\r\n", "水准1,1.0\r\n"},
                      DecodeCase{"Utf8Names", "桩1\r\n路2\r\n站\r\n", "桩1\r\n路2\r\n站\r\n"},
                      DecodeCase{"Utf8BomShuiZhun", "\xEF\xBB\xBF水准1", "水准1"},
                      DecodeCase{"Utf8BomLatinOnly",
                                 "\xEF\xBB\xBFP\xC3\x98"
                                 "1",
                                 "P\xC3\x98"
                                 "1"},
                      DecodeCase{"Utf8DegreesAndPlusMinusAmongChinese",
                                 "水准1 角度 12° 误差 ±3 毫米", "水准1 角度 12° 误差 ±3 毫米"},
                      DecodeCase{"Utf8NotGbkAtAll",
                                 "\xED\x95\x9C"
                                 "1",
                                 "\xED\x95\x9C"
                                 "1"},
                      DecodeCase{"Gb18030FourByteCode",
                                 "P\x81\x30\x89\x31"
                                 "1",
                                 "P\xC3\x98"
                                 "1"}),
    [](const auto& info) { return std::string(info.param.name); });

// Whatever the program writes, it reads back as written: GBK names, names GBK lacks,
// and the plain-ASCII files.
TEST(WriteLinesTest, EveryWrittenFileReadsBackIdentically) {
    const std::vector<std::vector<std::string>> files = {
        {"水准1,512001.340,3420000.000,47.912"},
        {"Dmh,桩1", "0.000,1.000", "Dmh,路2"},
        {"站", "; （标）"},
        {"1,P\xC3\x98"
         "1,1.000,2.000,3.000",
         "2,\xED\x95\x9C"
         "1,1.000,2.000,3.000"},
        {"1,2,3"},
    };
    TempDir dir;
    for (const auto& lines : files) {
        ASSERT_TRUE(WriteTextLines(dir.File("f.txt"), lines).ok());
        TextLines read = ReadTextLines(dir.File("f.txt"));
        ASSERT_TRUE(read.status.ok());
        EXPECT_EQ(read.lines, lines);
    }
}

TEST(WriteLinesTest, ACharacterOutsideGbkIsReportedOnceNamingTheText) {
    TempDir dir;
    std::vector<std::string> notices;
    SetOutsideGbkNotice([&](const std::string& path, const std::vector<std::string>& texts) {
        notices.push_back(OutsideGbkMessage(path, texts));
    });
    ASSERT_TRUE(WriteTextLines(dir.File("a.cor"), {"1,P\xC3\x98"
                                                   "1,1.000",
                                                   "2,\xED\x95\x9C"
                                                   "1,2.000",
                                                   "3,水准1,3.000"})
                    .ok());
    ASSERT_TRUE(WriteTextLines(dir.File("b.cor"), {"3,水准1,3.000"}).ok());
    SetOutsideGbkNotice(nullptr);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0], "文件“" + dir.File("a.cor") +
                              "”中的“P\xC3\x98"
                              "1”、“\xED\x95\x9C"
                              "1”含有GBK以外的字符，已按GB18030保存，旧版程序可能无法正确显示。");
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

TEST(WriteLinesTest, AMissingFolderIsAFailureNotASuccess) {
    TempDir dir;
    Status s = WriteTextLines(dir.File("no/such/folder/x.txt"), {"x"});
    EXPECT_FALSE(s.ok());
    EXPECT_FALSE(PathExists(dir.File("no/such/folder/x.txt")));
}

}  // namespace
}  // namespace velorin
