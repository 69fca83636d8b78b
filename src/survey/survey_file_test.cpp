// The survey and control point file grammars as the coordinate page loads them.
#include "survey/survey_file.h"

#include <gtest/gtest.h>

#include "support/testing.h"

namespace velorin::survey {
namespace {

struct SurveyCase {
    const char* name;
    std::vector<std::string> raw;
    std::vector<std::string> expected;
};

class SurveyLines : public ::testing::TestWithParam<SurveyCase> {};

TEST_P(SurveyLines, AreLoadedAsTheListShowsThem) {
    EXPECT_EQ(SurveyLinesFromText(GetParam().raw), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SurveyLines,
    ::testing::Values(
        SurveyCase{
            "TrimmedAndUpperCased", {"  cz,a1,1.5  ", "p1,1,2,3"}, {"CZ,A1,1.5", "P1,1,2,3"}},
        SurveyCase{"CommentsAndBlanksAreKept", {"; 注释 abc", "", "   "}, {"; 注释 ABC", "", ""}},
        SurveyCase{"CheckLineUsesTheCurrentBacksight",
                   {"hs,B1,", "HC,85.123,-0.456,1.5"},
                   {"HS,B1,", "B1,0.0000,85.123,-0.456,1.5"}},
        SurveyCase{"CheckLineFollowsTheLatestBacksight",
                   {"hs,B1", "hs,b2", "hc,1,2"},
                   {"HS,B1", "HS,B2", "B2,0.0000,1,2"}},
        SurveyCase{"CheckLineBeforeAnyBacksightHasNoName", {"HC,1,2,3"}, {",0.0000,1,2,3"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SurveyLineKinds, AreRecognisedInAnyCase) {
    EXPECT_TRUE(IsStationLine("CZ,A1,1.5"));
    EXPECT_TRUE(IsStationLine("cz,a1,1.5"));
    EXPECT_FALSE(IsStationLine("cz"));
    EXPECT_FALSE(IsStationLine("CZA,1"));
    EXPECT_TRUE(IsBacksightLine("hs,B1,"));
    EXPECT_FALSE(IsBacksightLine("HC,1,2"));
    EXPECT_EQ(BacksightNameOf("hs,B1,"), "B1");
    EXPECT_EQ(BacksightNameOf("hs,B1"), "B1");
    EXPECT_EQ(BacksightNameOf("hs,B1,,"), "B1,");
}

struct ControlCase {
    const char* name;
    std::string line;
    ControlRow expected;
};

class ControlLines : public ::testing::TestWithParam<ControlCase> {};

TEST_P(ControlLines, BecomeTableRows) {
    ControlFile file = ControlRowsFromText({GetParam().line}, "k.ctl");
    ASSERT_TRUE(file.status.ok()) << file.status.message();
    ASSERT_EQ(file.rows.size(), 1u);
    EXPECT_EQ(file.rows[0], GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ControlLines,
    ::testing::Values(
        ControlCase{
            "BlanksAroundNumbers", "k1, 100, 200 ,5", {"K1", "100.000", "200.000", "5.000", ""}},
        ControlCase{"NoElevation",
                    "K1,3500123.456,512345.678",
                    {"K1", "3500123.456", "512345.678", "0.000", ""}},
        ControlCase{"EmptyElevation", "K1,1,2,", {"K1", "1.000", "2.000", "0.000", ""}},
        ControlCase{"FifthField", "K1,1,2,3,4", {"K1", "1.000", "2.000", "3.000", "4.000"}},
        ControlCase{
            "ChineseName", "  导线点7,1,2,3  ", {"导线点7", "1.000", "2.000", "3.000", ""}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ControlFileLoading, SkipsCommentsAndBlanks) {
    ControlFile file =
        ControlRowsFromText({"; K0,1,2,3", "   ; K0,1,2,3", "", "  ", "K1,1,2,3"}, "k.ctl");
    ASSERT_TRUE(file.status.ok());
    ASSERT_EQ(file.rows.size(), 1u);
    EXPECT_EQ(file.rows[0].name, "K1");
}

TEST(ControlFileLoading, MoreThanFiveFieldsRefusesTheFileNamingFileAndLine) {
    ControlFile file = ControlRowsFromText({"K1,1,2,3", "; note", "K2,1,2,3,4,5"}, "/d/k.ctl");
    EXPECT_FALSE(file.status.ok());
    EXPECT_TRUE(file.rows.empty());
    EXPECT_NE(file.status.message().find("/d/k.ctl"), std::string::npos);
    EXPECT_NE(file.status.message().find("第3行"), std::string::npos);
}

TEST(ControlFileLoading, ReadsGbkFiles) {
    testing::TempDir dir;
    testing::WriteBytes(dir.File("k.ctl"), testing::GbkCrlf({"控1,10,20,30"}));
    ControlFile file = ReadControlFile(dir.File("k.ctl"));
    ASSERT_TRUE(file.status.ok());
    ASSERT_EQ(file.rows.size(), 1u);
    EXPECT_EQ(file.rows[0], (ControlRow{"控1", "10.000", "20.000", "30.000", ""}));
    EXPECT_FALSE(ReadControlFile(dir.File("none.ctl")).status.ok());
}

TEST(FieldFormats, NumbersAreFormattedAndOtherTextKept) {
    EXPECT_EQ(FormatField("12.34565", "#0.0000"), "12.3457");
    EXPECT_EQ(FormatField(" 7 ", "#0.000"), "7.000");
    EXPECT_EQ(FormatField("", "#0.000"), "");
    EXPECT_EQ(FormatField("1.2.3", "#0.000"), "1.2.3");
}

}  // namespace
}  // namespace velorin::survey
