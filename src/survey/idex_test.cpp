// The IDEX reader: blocks and keys, set-ups, slope records with the backsight first, the
// target-height limit, and two files recorded by real instruments.
#include "survey/idex.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "base/strings.h"
#include "base/text_file.h"
#include "support/testing.h"

namespace velorin::survey {
namespace {

constexpr const char* kNow = "2024-5-6 14:03:22";

std::vector<std::string> Body(const std::vector<std::string>& raw, double limit = 10) {
    std::vector<std::string> out = ConvertIdex(raw, "/data/r1.idx", limit, kNow);
    EXPECT_GE(out.size(), 2u);
    return std::vector<std::string>(out.begin() + 2, out.end());
}

// A theodolite block with one set-up and the given slope records.
std::vector<std::string> Setup(const std::vector<std::string>& records,
                               const std::string& station = "\"A1\"") {
    std::vector<std::string> raw = {
        "THEODOLITE",
        "\tSETUP",
        "\t\tSTN_NO\t7",
        "\t\tSTN_ID\t" + station,
        "\t\tINST_HT\t1.52;",
        "\tEND SETUP",
        "\tSLOPE(TgtNo, TgtID, CfgNo, Hz, Vz, SDist, RefHt, Date, Ppm, ApplType, Flags)"};
    for (const auto& r : records) raw.push_back("\t\t" + r);
    raw.push_back("\tEND SLOPE");
    raw.push_back("END THEODOLITE");
    return raw;
}

std::string Record(const std::string& name, const std::string& height,
                   const std::string& date = "06-05-2024/10:11:12.0") {
    return "1,\t\"" + name + "\",\t1,\t12.345600,\t91.234500,\t123.456700,\t" + height + ",\t" +
           date + ",\t0,\t100,\t1;";
}

struct IdexCase {
    const char* name;
    std::vector<std::string> raw;
    double limit;
    std::vector<std::string> expected;
};

class IdexRecords : public ::testing::TestWithParam<IdexCase> {};

TEST_P(IdexRecords, GiveTheSurveyLines) {
    const IdexCase& c = GetParam();
    EXPECT_EQ(Body(c.raw, c.limit), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IdexRecords,
    ::testing::Values(
        IdexCase{"StationAndInstrumentHeight", Setup({}), 10, {"", "cz,A1,1.520"}},
        IdexCase{"BacksightFirstThenTimeThenObservations",
                 Setup({Record("B1", "1.5"), Record("P1", "1.6"),
                        Record("P2", "1.7", "06-05-2024/10:20:00.0")}),
                 10,
                 {"", "cz,A1,1.520", "hs,B1", "; 观测时间 = 06-05-2024/10:11",
                  "P1,12.3456,123.457,91.2345,1.600", "P2,12.3456,123.457,91.2345,1.700"}},
        IdexCase{"HeightEqualToTheLimitIsKept",
                 Setup({Record("B1", "1"), Record("P1", "2.000")}),
                 2,
                 {"", "cz,A1,1.520", "hs,B1", "; 观测时间 = 06-05-2024/10:11",
                  "P1,12.3456,123.457,91.2345,2.000"}},
        IdexCase{"HeightAboveTheLimitIsLeftOut",
                 Setup({Record("B1", "1"), Record("P1", "2.001")}),
                 2,
                 {"", "cz,A1,1.520", "hs,B1", "; 观测时间 = 06-05-2024/10:11",
                  "P1,12.3456,123.457,91.2345,"}},
        IdexCase{"ShortRecordLeavesFieldsEmpty",
                 Setup({"1,\"B1\"", "2,\"P1\",1,90.3", "3,\"P2\",1,1,2,3,4,1234"}),
                 10,
                 {"", "cz,A1,1.520", "hs,B1", "; 观测时间 = ", "P1,90.3000,,,",
                  "P2,1.0000,3.000,2.0000,4.000"}},
        IdexCase{"QuotesAndCaseOfTheStation", Setup({}, "\"st 9\""), 10, {"", "cz,ST 9,1.520"}},
        IdexCase{"SetupRestartsTheRecordCount",
                 [] {
                     auto a = Setup({Record("B1", "1"), Record("P1", "1")});
                     auto b = Setup({Record("B2", "1"), Record("P2", "1")}, "\"A2\"");
                     a.insert(a.end(), b.begin(), b.end());
                     return a;
                 }(),
                 10,
                 {"", "cz,A1,1.520", "hs,B1", "; 观测时间 = 06-05-2024/10:11",
                  "P1,12.3456,123.457,91.2345,1.000", "", "cz,A2,1.520", "hs,B2",
                  "; 观测时间 = 06-05-2024/10:11", "P2,12.3456,123.457,91.2345,1.000"}},
        IdexCase{"RecordsOutsideTheTheodoliteBlockAreIgnored",
                 {"DATABASE", "\tSLOPE(a)", Record("B1", "1"), Record("P1", "1"), "END DATABASE"},
                 10,
                 {}},
        IdexCase{"ProjectKeysWithTabs",
                 {"HEADER", "\tPROJECT", "\t\tNAME\t\"X\"", "\t\tOPERATOR\t\"Wang Li\"",
                  "\t\tCREATION_DATE\t12-02-2010/07:46:46.0", "\tEND PROJECT", "END HEADER"},
                 10,
                 {"; 操作员：WANG LI", "; 时  间：12-02-2010/07:46:46.0",
                  std::string("; 转  换：") + kNow}},
        IdexCase{"HeaderKeysOutsideTheProjectAreIgnored",
                 {"HEADER", "\tOPERATOR\t\"X\"", "\tCREATION_DATE 1-1-2000", "\tPROJECT",
                  "\tEND PROJECT", "\tOPERATOR \"Y\"", "END HEADER", "OPERATOR \"Z\""},
                 10,
                 {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IdexHeader, NamesTheInstrumentAndTheSourceFile) {
    EXPECT_EQ(ConvertIdex({}, "/data/r1.idx", 10, kNow),
              (std::vector<std::string>{"; 全 站 仪：Leica TC 307", "; 文 件 名：/data/r1.idx"}));
}

TEST(IdexRealFiles, Tcr405GivesItsSetupExactly) {
    TextLines raw = ReadTextLines(testing::SamplesDir() + "tcr405.idx");
    ASSERT_TRUE(raw.status.ok()) << raw.status.message();
    EXPECT_EQ(Body(raw.lines), (std::vector<std::string>{
                                   "; 操作员：RPS",
                                   "; 时  间：12-02-2010/07:46:46.0",
                                   std::string("; 转  换：") + kNow,
                                   "",
                                   "cz,A,1.500",
                                   "hs,6",
                                   "; 观测时间 = 12-02-2010/07:53",
                                   "000,151.2546,7.969,275.1608,1.600",
                                   "001,146.4507,8.511,274.0539,1.600",
                                   "002,150.5933,8.057,274.1942,1.600",
                                   "003,150.5744,8.114,262.2356,1.600",
                                   "004,146.4531,8.572,262.4755,1.600",
                                   "005,121.3731,14.983,272.2125,1.600",
                                   "006,121.3727,0.000,272.2124,1.600",
                               }));
}

// Eighteen set-ups, each a station and a backsight, a time comment when it has a foresight,
// and one observation per further record; the counts come from the file's own blocks.
TEST(IdexRealFiles, Maga0921GivesEverySetup) {
    TextLines raw = ReadTextLines(testing::SamplesDir() + "maga0921.idx");
    ASSERT_TRUE(raw.status.ok()) << raw.status.message();
    size_t setups = 0, records = 0, with_foresights = 0, in_setup = 0;
    bool in_slope = false;
    for (const auto& l : raw.lines) {
        std::string t = Trim(l);
        if (t == "SETUP") {
            ++setups;
            in_setup = 0;
        }
        if (StartsWith(t, "SLOPE(")) {
            in_slope = true;
        } else if (t == "END SLOPE") {
            in_slope = false;
        } else if (in_slope && !t.empty()) {
            ++records;
            if (++in_setup == 2) ++with_foresights;
        }
    }
    ASSERT_EQ(setups, 18u);
    std::vector<std::string> out = Body(raw.lines);
    auto count = [&](auto pred) {
        return static_cast<size_t>(std::count_if(out.begin(), out.end(), pred));
    };
    EXPECT_EQ(count([](const std::string& s) { return StartsWith(s, "cz,"); }), setups);
    EXPECT_EQ(count([](const std::string& s) { return StartsWith(s, "hs,"); }), setups);
    EXPECT_EQ(count([](const std::string& s) { return StartsWith(s, "; 观测时间 = 21-09-2004/"); }),
              with_foresights);
    size_t observations = count([](const std::string& s) {
        return !s.empty() && s[0] != ';' && !StartsWith(s, "cz,") && !StartsWith(s, "hs,");
    });
    EXPECT_EQ(observations, records - setups);
    EXPECT_EQ(out[4], "cz,1283,0.000");
    EXPECT_EQ(out[5], "hs,2000");
    EXPECT_EQ(out[7], "42433272,336.2636,0.000,87.3129,0.000");
}

}  // namespace
}  // namespace velorin::survey
