// The GTS-311 reader: each record kind, the target-height limit, short and long
// records, and a real instrument file that is not GTS-311 at all.
#include "survey/gts311.h"

#include <gtest/gtest.h>

#include "base/text_file.h"
#include "support/testing.h"
#include "survey/conversion.h"

namespace velorin::survey {
namespace {

// The survey lines after the two header comments.
std::vector<std::string> Body(const std::vector<std::string>& raw, double limit = 10) {
    std::vector<std::string> out = ConvertGts311(raw, "/data/r1.dat", limit);
    EXPECT_GE(out.size(), 2u);
    return std::vector<std::string>(out.begin() + 2, out.end());
}

struct RecordCase {
    const char* name;
    std::vector<std::string> raw;
    double limit;
    std::vector<std::string> expected;
};

class Gts311Records : public ::testing::TestWithParam<RecordCase> {};

TEST_P(Gts311Records, GiveTheSurveyLines) {
    const RecordCase& c = GetParam();
    EXPECT_EQ(Body(c.raw, c.limit), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Gts311Records,
    ::testing::Values(
        RecordCase{"StationWithHeight", {"STN     A1,1.45"}, 10, {"", "cz,A1,1.450"}},
        RecordCase{"StationWithoutNumericHeight", {"STN     A1,abc"}, 10, {"", "cz,A1"}},
        RecordCase{"StationWithoutSecondField", {"STN     A1"}, 10, {"", "cz,A1"}},
        RecordCase{"BacksightAndItsObservation",
                   {"STN     A1,1.450", "BS      B1,1.500", "HD      0.0000,85.123,-0.456"},
                   10,
                   {"", "cz,A1,1.450", "hs,B1", "B1,0.0000,85.123,-0.456,1.500"}},
        RecordCase{"HeightJustBelowTheLimitIsKept",
                   {"BS      B1,4.999", "HD      12.3456,30,1.2"},
                   5,
                   {"hs,B1", "B1,12.3456,30.000,1.200,4.999"}},
        RecordCase{"HeightEqualToTheLimitIsLeftOut",
                   {"BS      B1,5.000", "HD      12.3456,30,1.2"},
                   5,
                   {"hs,B1", "B1,12.3456,30.000,1.200"}},
        RecordCase{"SideShotWithoutHeight",
                   {"SS      P7", "HD      1.2,2,3"},
                   10,
                   {"P7,1.2000,2.000,3.000"}},
        RecordCase{"BackTickKeepsTheTextAfterIt",
                   {"SS      P`12,1.3", "HD      1,2,3"},
                   10,
                   {"12,1.0000,2.000,3.000,1.300"}},
        RecordCase{"SevenFieldsKeepFive",
                   {"SS      P1,1.3,x,y,z,6,7", "HD      1,2,3,4,5,6,7"},
                   10,
                   {"P1,1.0000,2.000,3.000,1.300"}},
        RecordCase{
            "MissingFieldsAreEmpty", {"SS      P1,1.3", "HD      90"}, 10, {"P1,90.0000,,,1.300"}},
        RecordCase{"NonNumericFieldsAreWrittenUnchanged",
                   {"SS      P1", "HD      n/a,12.5,--"},
                   10,
                   {"P1,n/a,12.500,--"}},
        RecordCase{"CodesInAnyCase",
                   {"stn     a1,1.5", "bs      b1,1.5"},
                   10,
                   {"", "cz,a1,1.500", "hs,b1"}},
        RecordCase{
            "HeaderAndUnknownRecordsAreSkipped",
            {"GTS-311 job 7", "gts header", "XYZ     1,2,3", "SD      1,2,3", "SS      P1,1.3"},
            10,
            {}},
        RecordCase{"BareCodesNeverStopTheReader", {"", "HD", "ST"}, 10, {",,,"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Gts311Header, NamesTheInstrumentAndTheSourceFile) {
    std::vector<std::string> out = ConvertGts311({}, "/data/r1.dat", 10);
    EXPECT_EQ(out,
              (std::vector<std::string>{"; 全 站 仪：Topcon GTS 311", "; 文 件 名：/data/r1.dat"}));
}

// The station's own height is the instrument height; the limit applies to targets only,
// and an HD record after a station reads the station's name and height.
TEST(Gts311Heights, StationHeightIsNotChecked) {
    EXPECT_EQ(Body({"STN     A1,12.000"}, 10), (std::vector<std::string>{"", "cz,A1,12.000"}));
    EXPECT_EQ(Body({"STN     A1,1.000", "HD      1,2,3"}, 10),
              (std::vector<std::string>{"", "cz,A1,1.000", "A1,1.0000,2.000,3.000,1.000"}));
}

TEST(Gts311RealFiles, GtsSevenFileOnlyGivesItsStationAndBacksight) {
    TextLines raw = ReadTextLines(testing::SamplesDir() + "jkv.gts7");
    ASSERT_TRUE(raw.status.ok()) << raw.status.message();
    EXPECT_EQ(Body(raw.lines), (std::vector<std::string>{"", "cz,1001,0.000", "hs,1002"}));
}

TEST(Gts311Conversion, ReadsTheFileAndTargetsTheSurveyFileBesideIt) {
    testing::TempDir dir;
    testing::WriteBytes(dir.File("r1.dat"), testing::GbkCrlf({"STN     测站1,1.5", "BS      B1,1.5",
                                                              "HD      0,10,1"}));
    Conversion c = ConvertRawFile(dir.File("r1.dat"), RawModel::Gts311, 10, "now");
    ASSERT_TRUE(c.status.ok());
    EXPECT_EQ(c.target, dir.File("r1.sur"));
    EXPECT_EQ(c.lines, (std::vector<std::string>{
                           "; 全 站 仪：Topcon GTS 311", "; 文 件 名：" + dir.File("r1.dat"), "",
                           "cz,测站1,1.500", "hs,B1", "B1,0.0000,10.000,1.000,1.500"}));
}

TEST(Gts311Conversion, UnreadableFileGivesAMessageAndNoLines) {
    testing::TempDir dir;
    Conversion c = ConvertRawFile(dir.File("missing.dat"), RawModel::Gts311, 10, "now");
    EXPECT_FALSE(c.status.ok());
    EXPECT_NE(c.status.message().find(dir.File("missing.dat")), std::string::npos);
    EXPECT_TRUE(c.lines.empty());
}

TEST(Gts311Conversion, NoModelLeavesTheListEmptyButSetsTheTarget) {
    Conversion c = ConvertRawFile("/nowhere/r1.dat", ModelFromItem("其它"), 10, "now");
    EXPECT_TRUE(c.status.ok());
    EXPECT_TRUE(c.lines.empty());
    EXPECT_EQ(c.target, "/nowhere/r1.sur");
}

}  // namespace
}  // namespace velorin::survey
