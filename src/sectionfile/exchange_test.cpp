// The exchange formats as a receiving program sees them: the bytes of each file for a
// small hand-made section set, reading them back, round trips through every other
// format and the section data file, the chainage rules, and every refusal.
#include "sectionfile/exchange.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "base/paths.h"
#include "base/text_file.h"
#include "sectionfile/hintcad.h"
#include "support/testing.h"

namespace velorin::sectionfile {
namespace {

using ::testing::HasSubstr;

const std::vector<Section> kSet = {
    {"K0+020", {{-8.25, 12.1}, {-3, 12.3}, {0, 12.5}, {4, 12.45}}},
    {"K0+040", {{0, 13}, {5.5, 12.8}}},
};
constexpr const char* kNow = "2026-12-7 4:05:09";

std::vector<PlacedSection> Placed(const std::vector<Section>& sections) {
    Placement p = PlaceSections(sections, std::nullopt, std::nullopt);
    EXPECT_TRUE(p.status.ok()) << p.status.message();
    return p.sections;
}

std::string Utf8Crlf(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines) text += line + "\r\n";
    return text;
}

// Chainage and every point of each section, to the millimetre.
void ExpectSameToTheMillimetre(const std::vector<PlacedSection>& got,
                               const std::vector<PlacedSection>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
        SCOPED_TRACE(want[i].section.number);
        EXPECT_EQ(got[i].section.number, want[i].section.number);
        EXPECT_EQ(Millimetres(got[i].chainage), Millimetres(want[i].chainage));
        ASSERT_EQ(got[i].section.points.size(), want[i].section.points.size());
        for (size_t k = 0; k < want[i].section.points.size(); ++k) {
            EXPECT_EQ(Millimetres(got[i].section.points[k].chainage),
                      Millimetres(want[i].section.points[k].chainage))
                << k;
            EXPECT_EQ(Millimetres(got[i].section.points[k].elevation),
                      Millimetres(want[i].section.points[k].elevation))
                << k;
        }
    }
}

struct WriteCase {
    const char* name;
    ExchangeFormat format;
    std::vector<std::pair<std::string, std::string>> files;  // name in the folder, bytes
    friend void PrintTo(const WriteCase& c, std::ostream* os) { *os << c.name; }
};

class WriteFormatTest : public ::testing::TestWithParam<WriteCase> {
  protected:
    testing::TempDir dir_;
};

TEST_P(WriteFormatTest, WritesTheFilesByteForByteAndReadsThemBack) {
    const auto& c = GetParam();
    ASSERT_TRUE(WriteExchangeFiles(dir_.File("路1.dm"), c.format, Placed(kSet), kNow).ok());
    auto names = ExchangeFileNames(dir_.File("路1.dm"), c.format);
    ASSERT_EQ(names.size(), c.files.size());
    for (size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(names[i], dir_.File(c.files[i].first));
        EXPECT_EQ(testing::ReadBytes(names[i]), c.files[i].second) << c.files[i].first;
    }
    ExchangeRead back = ReadExchangeFile(names[0]);
    ASSERT_TRUE(back.read.status.ok()) << back.read.status.message();
    ExpectSameToTheMillimetre(back.read.sections, Placed(kSet));
}

INSTANTIATE_TEST_SUITE_P(
    Formats, WriteFormatTest,
    ::testing::Values(
        WriteCase{"CassHdm",
                  ExchangeFormat::CassHdm,
                  {{"路1.hdm", testing::GbkCrlf({"BEGIN,20.000:1", "-8.250,12.100", "-3.000,12.300",
                                                 "0.000,12.500", "4.000,12.450", "BEGIN,40.000:2",
                                                 "0.000,13.000", "5.500,12.800"})}}},
        WriteCase{
            "HintCad",
            ExchangeFormat::HintCad,
            {{"路1.HDM", testing::GbkCrlf({"HINTCAD5.83_HDM_SHUJU", "20.000",
                                           "2\t3.000\t-0.200\t5.250\t-0.200", "1\t4.000\t-0.050",
                                           "", "40.000", "0", "1\t5.500\t-0.200"})},
             {"路1.DMX", testing::GbkCrlf({"HINTCAD5.83_DMX_SHUJU", "      20.000\t 12.500000",
                                           "      40.000\t 13.000000"})}}},
        WriteCase{
            "LandXml",
            ExchangeFormat::LandXml,
            {{"路1.xml",
              Utf8Crlf({"<?xml version=\"1.0\" encoding=\"UTF-8\"?>",
                        "<LandXML xmlns=\"http://www.landxml.org/schema/LandXML-1.2\" "
                        "version=\"1.2\" date=\"2026-12-07\" time=\"04:05:09\">",
                        "  <Units>",
                        "    <Metric linearUnit=\"meter\" areaUnit=\"squareMeter\" "
                        "volumeUnit=\"cubicMeter\" angularUnit=\"decimal degrees\" "
                        "directionUnit=\"decimal degrees\"/>",
                        "  </Units>",
                        "  <Application name=\"Velorin\" manufacturer=\"Velorin\"/>",
                        "  <Alignments>",
                        "    <Alignment name=\"路1\" length=\"20.000\" staStart=\"20.000\">",
                        "      <CrossSects>",
                        "        <CrossSect sta=\"20.000\" name=\"K0+020\">",
                        "          <CrossSectSurf name=\"地面线\">",
                        "            <PntList2D>-8.250 12.100 -3.000 12.300 0.000 12.500 4.000 "
                        "12.450</PntList2D>",
                        "          </CrossSectSurf>",
                        "        </CrossSect>",
                        "        <CrossSect sta=\"40.000\" name=\"K0+040\">",
                        "          <CrossSectSurf name=\"地面线\">",
                        "            <PntList2D>0.000 13.000 5.500 12.800</PntList2D>",
                        "          </CrossSectSurf>",
                        "        </CrossSect>",
                        "      </CrossSects>",
                        "    </Alignment>",
                        "  </Alignments>",
                        "</LandXML>"})}}},
        WriteCase{
            "Csv",
            ExchangeFormat::Csv,
            {{"路1.csv", "\xEF\xBB\xBF" +
                             Utf8Crlf({"断面名,里程,距离,高程", "K0+020,20.000,-8.250,12.100",
                                       "K0+020,20.000,-3.000,12.300", "K0+020,20.000,0.000,12.500",
                                       "K0+020,20.000,4.000,12.450", "K0+040,40.000,0.000,13.000",
                                       "K0+040,40.000,5.500,12.800"})}}}),
    [](const auto& info) { return std::string(info.param.name); });

// Every format into every other and back: nothing is lost to the millimetre, not even
// values that need rounding or whose relative steps add up.
TEST(ExchangeRoundTrip, EveryFormatThroughEveryOther) {
    const std::vector<Section> awkward = {
        {"K1+234.5", {{-25.4567, 101.2344}, {-0.0004, 99.9995}, {0, 100.0006}, {17.3333, 98.7777}}},
        {"K1+260", {{-1.1111, 50.0004}, {0, 50.0005}, {0.0005, 50.0015}, {2.2222, 49.9999}}},
    };
    const auto want = Placed(awkward);
    for (ExchangeFormat first : kExchangeFormats)
        for (ExchangeFormat second : kExchangeFormats) {
            SCOPED_TRACE(ExchangeFormatName(first) + " -> " + ExchangeFormatName(second));
            testing::TempDir dir;
            ASSERT_TRUE(WriteExchangeFiles(dir.File("a.dm"), first, want, kNow).ok());
            auto once = ReadExchangeFile(ExchangeFileNames(dir.File("a.dm"), first)[0]);
            ASSERT_TRUE(once.read.status.ok()) << once.read.status.message();
            ASSERT_TRUE(
                WriteExchangeFiles(dir.File("b.dm"), second, once.read.sections, kNow).ok());
            auto twice = ReadExchangeFile(ExchangeFileNames(dir.File("b.dm"), second)[0]);
            ASSERT_TRUE(twice.read.status.ok()) << twice.read.status.message();
            // Written values are millimetres, so compare with the set as the .dm holds it.
            std::vector<PlacedSection> rounded = want;
            for (auto& s : rounded)
                for (auto& p : s.section.points)
                    p = {static_cast<double>(Millimetres(p.chainage)) / 1000,
                         static_cast<double>(Millimetres(p.elevation)) / 1000};
            ExpectSameToTheMillimetre(twice.read.sections, rounded);
        }
}

class DataFileRoundTrip : public ::testing::TestWithParam<ExchangeFormat> {
  protected:
    void SetUp() override {
        Status s;
        store_ = store::WorkingStore::Open(testing::CopyStoreInto(dir_.path()), &s);
        ASSERT_TRUE(store_) << s.message();
        store_->OpenStandingRecordSets();
    }
    testing::TempDir dir_;
    std::unique_ptr<store::WorkingStore> store_;
};

TEST_P(DataFileRoundTrip, TheStandardListingComesBackLineForLine) {
    std::vector<std::string> lines = SectionFileLines({}, kSet);
    ASSERT_TRUE(ReadSectionFile(lines, *store_));
    auto placed = Placed(SectionsOfStore(*store_));
    ASSERT_TRUE(WriteExchangeFiles(dir_.File("r.dm"), GetParam(), placed, kNow).ok());
    auto back = ReadExchangeFile(ExchangeFileNames(dir_.File("r.dm"), GetParam())[0]);
    ASSERT_TRUE(back.read.status.ok()) << back.read.status.message();
    std::vector<Section> sections;
    for (auto& s : back.read.sections) sections.push_back(s.section);
    StoreSections(sections, *store_);
    EXPECT_EQ(SectionFileLines({}, SectionsOfStore(*store_)), SectionFileLines({}, kSet));
}

INSTANTIATE_TEST_SUITE_P(Formats, DataFileRoundTrip, ::testing::ValuesIn(kExchangeFormats),
                         [](const auto& info) { return ExchangeFormatName(info.param); });

struct NameCase {
    const char* name;
    std::string text;
    std::optional<double> chainage;
    friend void PrintTo(const NameCase& c, std::ostream* os) { *os << c.name; }
};

class ChainageFromNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(ChainageFromNameTest, ReadsOnlyWhatIsAChainage) {
    EXPECT_EQ(ChainageFromName(GetParam().text), GetParam().chainage);
}

INSTANTIATE_TEST_SUITE_P(Names, ChainageFromNameTest,
                         ::testing::Values(NameCase{"WithK", "K1+234.5", 1234.5},
                                           NameCase{"WithoutK", "1+234.5", 1234.5},
                                           NameCase{"LeadingZeros", "K0+020", 20.0},
                                           NameCase{"LettersBeforeK", "ZK0+020", 20.0},
                                           NameCase{"LowerCase", "ak2+000", 2000.0},
                                           NameCase{"Blanks", " K3+100 ", 3100.0},
                                           NameCase{"SectionNumber", "断1", std::nullopt},
                                           NameCase{"PlainNumber", "120", std::nullopt},
                                           NameCase{"MetresOver999", "K1+1000", std::nullopt},
                                           NameCase{"NoMetres", "K1+", std::nullopt},
                                           NameCase{"NoKilometres", "K+20", std::nullopt},
                                           NameCase{"SignedMetres", "K1+-5", std::nullopt},
                                           NameCase{"LetterNotK", "A1+000", std::nullopt},
                                           NameCase{"ChineseBeforeK", "左K1+000", std::nullopt},
                                           NameCase{"Exponent", "K1+2e2", std::nullopt}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(NameOfChainageTest, MillimetresWithoutTrailingZeros) {
    EXPECT_EQ(NameOfChainage(1234.5), "K1+234.5");
    EXPECT_EQ(NameOfChainage(20), "K0+020");
    EXPECT_EQ(NameOfChainage(0.0004), "K0+000");
    EXPECT_EQ(NameOfChainage(12345.678), "K12+345.678");
    EXPECT_EQ(ChainageFromName(NameOfChainage(999.999)), 999.999);
}

TEST(PlaceSectionsTest, NamesThenStartAndSpacingThenRefusal) {
    const std::vector<Section> named = {{"K0+100", {}}, {"K0+150", {}}};
    const std::vector<Section> numbered = {{"断1", {}}, {"断2", {}}, {"断3", {}}};
    const std::vector<Section> mixed = {{"K0+100", {}}, {"断2", {}}};
    struct Row {
        const char* name;
        std::vector<Section> sections;
        std::optional<double> start, spacing;
        std::vector<double> chainages;  // empty: refused
        std::string message;
    };
    const Row rows[] = {
        {"names read", named, std::nullopt, std::nullopt, {100, 150}, ""},
        {"names win over the fields", named, 0.0, 20.0, {100, 150}, ""},
        {"start and spacing", numbered, 40.0, 20.0, {40, 60, 80}, ""},
        {"refused without fields", numbered, std::nullopt, std::nullopt, {}, "断面“断1”"},
        {"one name is not enough", mixed, std::nullopt, std::nullopt, {}, "断面“断2”"},
        {"a mixed set takes the fields", mixed, 0.0, 10.0, {0, 10}, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Placement p = PlaceSections(row.sections, row.start, row.spacing);
        if (row.chainages.empty()) {
            EXPECT_FALSE(p.status.ok());
            EXPECT_THAT(p.status.message(), HasSubstr(row.message));
            EXPECT_TRUE(p.sections.empty());
            continue;
        }
        ASSERT_TRUE(p.status.ok()) << p.status.message();
        ASSERT_EQ(p.sections.size(), row.chainages.size());
        for (size_t i = 0; i < row.chainages.size(); ++i)
            EXPECT_EQ(p.sections[i].chainage, row.chainages[i]);
    }
}

TEST(ChainageFieldsTest, BothOrNeitherAndNumbers) {
    struct Row {
        const char* name;
        std::string start, spacing;
        std::optional<double> want_start, want_spacing;
        std::string message;  // empty: accepted
    };
    const Row rows[] = {
        {"empty", "", "", std::nullopt, std::nullopt, ""},
        {"metres", "100", "20", 100.0, 20.0, ""},
        {"chainage", "K0+100", "12.5", 100.0, 12.5, ""},
        {"start only", "100", "", std::nullopt, std::nullopt, "一起填写"},
        {"spacing only", "", "20", std::nullopt, std::nullopt, "一起填写"},
        {"bad start", "abc", "20", std::nullopt, std::nullopt, "起点里程“abc”"},
        {"zero spacing", "0", "0", std::nullopt, std::nullopt, "间距“0”"},
        {"negative spacing", "0", "-5", std::nullopt, std::nullopt, "间距“-5”"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto f = ReadChainageFields(row.start, row.spacing);
        EXPECT_EQ(f.status.ok(), row.message.empty());
        if (!row.message.empty()) {
            EXPECT_THAT(f.status.message(), HasSubstr(row.message));
        }
        EXPECT_EQ(f.start, row.want_start);
        EXPECT_EQ(f.spacing, row.want_spacing);
    }
}

TEST(CassHdmTest, ASectionWithoutCentreIsMeasuredFromItsLeftmostPoint) {
    testing::TempDir dir;
    const std::vector<Section> sections = {{"K0+010", {{-6, 10}, {-2, 11}, {3, 12}}}};
    ASSERT_TRUE(
        WriteExchangeFiles(dir.File("x.dm"), ExchangeFormat::CassHdm, Placed(sections), kNow).ok());
    EXPECT_EQ(testing::ReadBytes(dir.File("x.hdm")),
              testing::GbkCrlf({"BEGIN,10.000:1", "0.000,10.000", "4.000,11.000", "9.000,12.000"}));
}

TEST(HintCadTest, RefusesWhatItCannotWriteAndWritesNothing) {
    struct Row {
        const char* name;
        std::vector<Section> sections;
        std::string message;
    };
    const Row rows[] = {
        {"no centre point", {{"K0+010", {{-6, 10}, {3, 12}}}}, "断面“K0+010”没有中桩点"},
        {"chainage going backwards",
         {{"K0+050", {{0, 1}}}, {"K0+040", {{0, 1}}}},
         "断面“K0+040”的里程 40.000 小于前一断面"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        testing::TempDir dir;
        Status s = WriteExchangeFiles(dir.File("x.dm"), ExchangeFormat::HintCad,
                                      Placed(row.sections), kNow);
        EXPECT_FALSE(s.ok());
        EXPECT_THAT(s.message(), HasSubstr(row.message));
        EXPECT_FALSE(PathExists(dir.File("x.HDM")));
        EXPECT_FALSE(PathExists(dir.File("x.DMX")));
    }
}

struct BadFileCase {
    const char* name;
    std::string file;   // read this one
    std::string bytes;  // its content
    std::string other;  // a second file beside it (.DMX), empty for none
    std::string other_bytes;
    std::string message;  // part of the refusal, after the file's name
    friend void PrintTo(const BadFileCase& c, std::ostream* os) { *os << c.name; }
};

class RefusedFileTest : public ::testing::TestWithParam<BadFileCase> {};

TEST_P(RefusedFileTest, NamesFileAndLineAndReadsNothing) {
    const auto& c = GetParam();
    testing::TempDir dir;
    testing::WriteBytes(dir.File(c.file), c.bytes);
    if (!c.other.empty()) testing::WriteBytes(dir.File(c.other), c.other_bytes);
    ExchangeRead r = ReadExchangeFile(dir.File(c.file));
    EXPECT_FALSE(r.read.status.ok());
    EXPECT_THAT(r.read.status.message(), HasSubstr(c.message));
    EXPECT_TRUE(r.read.sections.empty());
}

const std::string kDmx = testing::GbkCrlf({"HINTCAD5.83_DMX_SHUJU", "20.000\t12.5", "40.000\t13"});

INSTANTIATE_TEST_SUITE_P(
    Refusals, RefusedFileTest,
    ::testing::Values(
        BadFileCase{"HdmCountDoesNotMatchPairs", "a.HDM",
                    testing::GbkCrlf({"HINTCAD5.83_HDM_SHUJU", "20", "2\t3\t-0.2", "0", "", "40",
                                      "0", "0"}),
                    "a.DMX", kDmx, "a.HDM”第3行：左侧声明 2 个点，实有 2 个数"},
        BadFileCase{"HdmCountBeyondEveryInteger", "a.HDM",
                    testing::GbkCrlf({"HINTCAD5.83_HDM_SHUJU", "20", "3e44\t3\t-0.2", "0"}),
                    "a.DMX", kDmx, "a.HDM”第3行：左侧声明 3e44 个点，实有 2 个数"},
        BadFileCase{"HdmNotNumeric", "a.HDM",
                    testing::GbkCrlf({"HINTCAD5.83_HDM_SHUJU", "20", "0", "1\tx\t1"}), "a.DMX",
                    kDmx, "a.HDM”第4行：右侧第 1 对“x 1”不是数字"},
        BadFileCase{"HdmChainageBackwards", "a.HDM",
                    testing::GbkCrlf({"HINTCAD5.83_HDM_SHUJU", "40", "0", "0", "", "20", "0", "0"}),
                    "a.DMX", testing::GbkCrlf({"HINTCAD5.83_DMX_SHUJU", "40\t1", "20\t1"}),
                    "a.HDM”第6行：里程 20 小于前一断面的里程 40.000"},
        BadFileCase{"HdmWithoutDmx", "a.HDM",
                    testing::GbkCrlf({"HINTCAD5.83_HDM_SHUJU", "20", "0", "0"}), "", "",
                    "地面线文件"},
        BadFileCase{"DmxMissingMagic", "a.HDM",
                    testing::GbkCrlf({"HINTCAD5.83_HDM_SHUJU", "20", "0", "0"}), "a.DMX",
                    testing::GbkCrlf({"20\t12.5"}), "a.DMX”第1行：纬地地面线文件的第一行应为"},
        BadFileCase{"DmxChainageDiffers", "a.HDM",
                    testing::GbkCrlf({"HINTCAD5.83_HDM_SHUJU", "20", "0", "0"}), "a.DMX",
                    testing::GbkCrlf({"HINTCAD5.83_DMX_SHUJU", "25\t12.5"}),
                    "a.DMX”第2行：里程 25.000 与横断面文件"},
        BadFileCase{"HdmNoMagicNoBegin", "a.hdm", testing::GbkCrlf({"", "20", "0", "0"}), "", "",
                    "a.hdm”第2行：既不是纬地横断面文件"},
        BadFileCase{"CassNotNumeric", "a.hdm", testing::GbkCrlf({"BEGIN,20:1", "-3,12.3", "0,abc"}),
                    "", "", "a.hdm”第3行：“0,abc”应为“距离,高程”两个数字"},
        BadFileCase{"CassBadChainage", "a.hdm", testing::GbkCrlf({"BEGIN,k?:1", "0,1"}), "", "",
                    "a.hdm”第1行：里程“k?”不是数字"},
        BadFileCase{"XmlNotWellFormed", "a.xml",
                    "<?xml version=\"1.0\"?>\r\n<LandXML>\r\n<Alignments>\r\n</LandXML>\r\n", "",
                    "", "a.xml”第4行：XML 格式有误：结束标记 </LandXML> 与开始标记不配对"},
        BadFileCase{"XmlNotLandXml", "a.xml", "<Other/>\r\n", "", "",
                    "a.xml”第1行：根元素是 <Other>"},
        BadFileCase{"XmlOddPointList", "a.xml",
                    "<LandXML>\n<Alignments><Alignment><CrossSects>\n<CrossSect sta=\"1\">"
                    "<CrossSectSurf>\n<PntList2D>1 2 3</PntList2D>"
                    "</CrossSectSurf></CrossSect></CrossSects></Alignment></Alignments></LandXML>",
                    "", "", "a.xml”第4行：PntList2D 的数字个数为奇数"},
        BadFileCase{"XmlImperial", "a.xml",
                    "<LandXML><Units><Imperial linearUnit=\"foot\"/></Units></LandXML>", "", "",
                    "英制"},
        BadFileCase{"CsvColumns", "a.csv",
                    "\xEF\xBB\xBF" + Utf8Crlf({"断面名,里程,距离,高程", "K0+020,20,1"}), "", "",
                    "a.csv”第2行：应有 4 列"},
        BadFileCase{"CsvNotNumeric", "a.csv", Utf8Crlf({"K0+020,20,1,x"}), "", "",
                    "a.csv”第1行：高程“x”不是数字"},
        BadFileCase{"TwoSectionsOfOneName", "a.csv", Utf8Crlf({"A,20,1,1", "B,30,1,1", "A,40,1,1"}),
                    "", "", "有两个断面名为“A”"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ExchangeNamesTest, FilesBesideTheLoadedFile) {
    EXPECT_EQ(ExchangeFileNames("/d/路1.dm", ExchangeFormat::HintCad),
              (std::vector<std::string>{"/d/路1.HDM", "/d/路1.DMX"}));
    EXPECT_EQ(ExchangeFileNames("/d/路1.xml", ExchangeFormat::Csv),
              std::vector<std::string>{"/d/路1.csv"});
    EXPECT_EQ(NormalisedFileName("/d/路1.HDM"), "/d/路1（标）.dm");
    EXPECT_EQ(NormalisedFileName("/d/路1.dm"), "/d/路1（标）.dm");
    EXPECT_EQ(ExchangeFormatNamed("LandXML"), ExchangeFormat::LandXml);
    EXPECT_EQ(ExchangeFormatNamed("dxf"), std::nullopt);
}

TEST(ExchangeNamesTest, SurveyAndRoadDesignHdmTogetherOnlyWhereNamesKeepCase) {
    struct Row {
        const char* name;
        bool ignores_case;  // emulated by a link from "x.DM" to "x.dm"
        std::vector<ExchangeFormat> formats;
        bool refused;
    };
    const Row rows[] = {
        {"both where case counts",
         false,
         {ExchangeFormat::CassHdm, ExchangeFormat::HintCad},
         false},
        {"both where case is ignored",
         true,
         {ExchangeFormat::HintCad, ExchangeFormat::CassHdm},
         true},
        {"one where case is ignored", true, {ExchangeFormat::CassHdm, ExchangeFormat::Csv}, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        testing::TempDir dir;
        testing::WriteBytes(dir.File("x.dm"), "Dmh,K0+000\r\n");
        if (row.ignores_case) std::filesystem::create_symlink(dir.File("x.dm"), dir.File("x.DM"));
        Status s = CheckExchangeNames(dir.File("x.dm"), row.formats);
        EXPECT_EQ(s.ok(), !row.refused);
        if (row.refused) {
            EXPECT_THAT(s.message(), HasSubstr("“" + dir.File("x.hdm") + "”（CASS）与“" +
                                               dir.File("x.HDM") + "”（纬地）是同一个文件"));
        }
    }
}

}  // namespace
}  // namespace velorin::sectionfile
