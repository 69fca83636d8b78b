#include "sectionfile/section_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "base/paths.h"
#include "base/text_file.h"
#include "store/statements.h"
#include "support/testing.h"

namespace velorin::sectionfile {
namespace {

using Table = store::WorkingStore::Table;

class SectionFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Status s;
        store_ = store::WorkingStore::Open(testing::CopyStoreInto(dir_.path()), &s);
        ASSERT_TRUE(store_) << s.message();
        store_->OpenStandingRecordSets();
    }

    // The store's sections as "number: chainage/elevation ..." for compact comparison.
    std::vector<Section> Stored() { return SectionsOfStore(*store_); }

    testing::TempDir dir_;
    std::unique_ptr<store::WorkingStore> store_;
};

MATCHER_P2(IsPoint, chainage, elevation, "") {
    return std::abs(arg.chainage - chainage) < 1e-9 && std::abs(arg.elevation - elevation) < 1e-9;
}

struct ReadCase {
    const char* name;
    std::vector<std::string> lines;
    std::string section;                            // the only section expected
    std::vector<std::pair<double, double>> points;  // its points by chainage
    friend void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }
};

class ReadOneSectionTest : public SectionFileTest,
                           public ::testing::WithParamInterface<ReadCase> {};

TEST_P(ReadOneSectionTest, GivesTheSectionAndItsPoints) {
    auto lines = GetParam().lines;
    ASSERT_TRUE(ReadSectionFile(lines, *store_));
    auto sections = Stored();
    ASSERT_EQ(sections.size(), 1u);
    EXPECT_EQ(sections[0].number, GetParam().section);
    ASSERT_EQ(sections[0].points.size(), GetParam().points.size());
    for (size_t i = 0; i < GetParam().points.size(); ++i)
        EXPECT_THAT(sections[0].points[i],
                    IsPoint(GetParam().points[i].first, GetParam().points[i].second))
            << i;
}

INSTANTIATE_TEST_SUITE_P(
    Compatible, ReadOneSectionTest,
    ::testing::Values(
        ReadCase{"Increments", {"Dmh,A", "@5,@-0.2", "@5,@-0.3"}, "A", {{5, -0.2}, {10, -0.5}}},
        ReadCase{"IncrementAfterAbsolute", {"DMH,B", "3,100", "@2,@1"}, "B", {{3, 100}, {5, 101}}},
        ReadCase{"EmptyHeaderNamedByLine", {"; c", "", "", "", "DMH,", "1,2"}, "临4", {{1, 2}}},
        ReadCase{
            "NoHeaderNamedByFirstPointLine", {"; c", "", "7,8", "9,10"}, "临2", {{7, 8}, {9, 10}}},
        ReadCase{"HeaderUpperCased", {"dmh,k0+100", "0,1"}, "K0+100", {{0, 1}}},
        ReadCase{
            "BlanksAroundEverything", {"  Dmh, 断3  ", " -1.5 , 100.25 "}, "断3", {{-1.5, 100.25}}},
        ReadCase{"AnyOrderSortedByChainage",
                 {"Dmh,C", "5,1", "-5,2", "0,3"},
                 "C",
                 {{-5, 2}, {0, 3}, {5, 1}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SectionFileTest, RunningValuesStartAgainAfterEveryHeader) {
    std::vector<std::string> lines = {"Dmh,A", "10,10", "Dmh,B", "@1,@1"};
    ASSERT_TRUE(ReadSectionFile(lines, *store_));
    auto sections = Stored();
    ASSERT_EQ(sections.size(), 2u);
    EXPECT_EQ(sections[1].number, "B");
    EXPECT_THAT(sections[1].points.at(0), IsPoint(1, 1));
}

TEST_F(SectionFileTest, SectionsKeepTheOrderOfTheirHeaders) {
    std::vector<std::string> lines = {"Dmh,Z", "0,1", "Dmh,A", "0,2", "Dmh,M", "0,3"};
    ASSERT_TRUE(ReadSectionFile(lines, *store_));
    auto sections = Stored();
    ASSERT_EQ(sections.size(), 3u);
    EXPECT_EQ(sections[0].number + sections[1].number + sections[2].number, "ZAM");
}

TEST_F(SectionFileTest, LoadedPointsCarryNoOffsetAndTheDataLayer) {
    std::vector<std::string> lines = {"Dmh,A", "1,2"};
    ASSERT_TRUE(ReadSectionFile(lines, *store_));
    store::RecordSet& p = store_->Reopen(Table::Point, store::statements::kPointByCrossNoSlen);
    EXPECT_EQ(p.Number("Pian"), 0);
    EXPECT_EQ(p.Text("Layer"), "数据断面");
    EXPECT_TRUE(store_->Reopen(Table::Line, store::statements::kLineByNo).EndOfFile());
}

TEST_F(SectionFileTest, ReadingReplacesEarlierSections) {
    std::vector<std::string> first = {"Dmh,OLD", "1,1"};
    ASSERT_TRUE(ReadSectionFile(first, *store_));
    std::vector<std::string> second = {"Dmh,NEW", "2,2"};
    ASSERT_TRUE(ReadSectionFile(second, *store_));
    auto sections = Stored();
    ASSERT_EQ(sections.size(), 1u);
    EXPECT_EQ(sections[0].number, "NEW");
}

TEST_F(SectionFileTest, LineWithoutCommaIsMarkedAndSkipped) {
    std::vector<std::string> lines = {"Dmh,A", " junk line", "1,2"};
    ASSERT_TRUE(ReadSectionFile(lines, *store_));
    EXPECT_EQ(lines[1], "; 错误  junk line");
    EXPECT_EQ(Stored()[0].points.size(), 1u);
}

struct BadCase {
    const char* name;
    std::string bad_line;
    friend void PrintTo(const BadCase& c, std::ostream* os) { *os << c.name; }
};

class BadNumberTest : public SectionFileTest, public ::testing::WithParamInterface<BadCase> {};

TEST_P(BadNumberTest, MarksTheLineStopsAndKeepsWhatWasRead) {
    std::vector<std::string> lines = {"Dmh,A", "1,2", GetParam().bad_line, "3,4", "also bad"};
    EXPECT_FALSE(ReadSectionFile(lines, *store_));
    EXPECT_EQ(lines[2], "; 错误 " + GetParam().bad_line);
    EXPECT_EQ(lines[4], "also bad");  // reading stopped before it
    auto sections = Stored();
    ASSERT_EQ(sections.size(), 1u);
    EXPECT_EQ(sections[0].points.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Failures, BadNumberTest,
                         ::testing::Values(BadCase{"BadElevation", "12.5,abc"},
                                           BadCase{"BadIncrement", "@x,3"},
                                           BadCase{"EmptyElevation", "5,"},
                                           BadCase{"ThousandsComma", "1,000,5"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SectionFileTest, AFileWithoutPointsReadsAsEmpty) {
    std::vector<std::string> lines = {"; only a comment", ""};
    EXPECT_TRUE(ReadSectionFile(lines, *store_));
    EXPECT_TRUE(Stored().empty());
}

TEST_F(SectionFileTest, WritesTheStandardFormatByteForByte) {
    std::vector<Section> sections = {{"断1", {{-12.5, 105.23}, {0, 105.0004}, {3.0005, 99}}},
                                     {"断2", {{-0.0001, 1}}}};
    ASSERT_TRUE(WriteSectionFile(dir_.File("b.dm"), BatchComments("断1", "断2"), sections).ok());
    EXPECT_EQ(
        testing::ReadBytes(dir_.File("b.dm")),
        testing::GbkCrlf({"; 批量断面", "; 断面号：断1～断2", "", "Dmh,断1", "-12.500,105.230",
                          "0.000,105.000", "3.001,99.000", "", "Dmh,断2", "0.000,1.000"}));
}

TEST_F(SectionFileTest, EveryProducersSectionReadsBackToTheMillimetre) {
    std::vector<Section> written = {
        {"K1+020", {{-25.4567, 101.2344}, {-0.001, 99.9995}, {0, 100}, {17.3333, 98.7777}}}};
    const std::vector<std::vector<std::string>> producers = {SingleSectionComments(),
                                                             SingleProfileComments(1, 20.5),
                                                             BatchComments("K1+020", "K1+020"),
                                                             {}};
    for (const auto& comments : producers) {
        ASSERT_TRUE(WriteSectionFile(dir_.File("s.dm"), comments, written).ok());
        auto lines = ReadTextLines(dir_.File("s.dm")).lines;
        ASSERT_TRUE(ReadSectionFile(lines, *store_));
        auto back = Stored();
        ASSERT_EQ(back.size(), 1u);
        EXPECT_EQ(back[0].number, "K1+020");
        ASSERT_EQ(back[0].points.size(), written[0].points.size());
        for (size_t i = 0; i < written[0].points.size(); ++i) {
            EXPECT_NEAR(back[0].points[i].chainage, written[0].points[i].chainage, 0.0005 + 1e-9);
            EXPECT_NEAR(back[0].points[i].elevation, written[0].points[i].elevation, 0.0005 + 1e-9);
        }
    }
}

TEST(SectionFileNamesTest, ProducersNameTheirFiles) {
    EXPECT_EQ(SingleSectionFileName("断1"), "断1.dm");
    EXPECT_EQ(SingleProfileFileName("断1"), "纵_断1.dm");
    EXPECT_EQ(BatchFileName("断面1", "断面9"), "断面1～断面9.dm");
    EXPECT_EQ(NormalisedFileName("/data/断面数据/路1.dm"), "/data/断面数据/路1（标）.dm");
    EXPECT_EQ(SingleProfileComments(1, 20.5),
              (std::vector<std::string>{"; 纵断面图", "; 起点里程：1+20.500"}));
}

TEST(SectionFolderTest, AppendsTheSeparatorAndMakesTheFolder) {
    testing::TempDir dir;
    app::Settings s = app::Settings::Defaults(dir.path());
    s.MainDir = dir.path().substr(0, dir.path().size() - 1);  // without its separator
    Status status;
    std::string folder = PrepareSectionDataFolder(s, &status);
    EXPECT_TRUE(status.ok());
    EXPECT_EQ(s.MainDir, dir.path());
    EXPECT_EQ(folder, dir.path() + "断面数据/");
    EXPECT_TRUE(IsFolder(folder));
}

TEST(SectionFolderTest, AFolderThatCannotBeMadeIsReported) {
    testing::TempDir dir;
    testing::WriteBytes(dir.File("断面数据"), "a file in the way");
    app::Settings s = app::Settings::Defaults(dir.path());
    Status status;
    PrepareSectionDataFolder(s, &status);
    EXPECT_FALSE(status.ok());
    EXPECT_NE(status.message().find("断面数据"), std::string::npos);
}

}  // namespace
}  // namespace velorin::sectionfile
