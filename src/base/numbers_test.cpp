#include "base/numbers.h"

#include <gtest/gtest.h>

#include <cmath>

namespace velorin {
namespace {

struct FormatCase {
    const char* name;
    double value;
    const char* pattern;
    const char* expected;
    friend void PrintTo(const FormatCase& c, std::ostream* os) { *os << c.name; }
};

class FormatTest : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatTest, GivesTheTextUsersSeeInFiles) {
    const auto& c = GetParam();
    EXPECT_EQ(Format(c.value, c.pattern), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, FormatTest,
    ::testing::Values(FormatCase{"ThreeDecimals", 12.5, "#0.000", "12.500"},
                      FormatCase{"LeadingZero", 0.5, "#0.00", "0.50"},
                      FormatCase{"SmallScale", 0.02, "#0.00", "0.02"},
                      FormatCase{"HalfUpAsPrinted", 2.675, "#0.00",
                                 "2.68"},  // binary 2.67499999... prints as 2.675
                      FormatCase{"HalfUpThousandth", 1.0005, "#0.000", "1.001"},
                      FormatCase{"NegativeHalfAwayFromZero", -2.675, "#0.00", "-2.68"},
                      FormatCase{"NegativeValue", -12.5, "#0.000", "-12.500"},
                      FormatCase{"NoNegativeZero", -0.0004, "#0.000", "0.000"},
                      FormatCase{"NegativeZeroItself", -0.0, "#0.000", "0.000"},
                      FormatCase{"CarryIntoIntegers", 9.9996, "#0.000", "10.000"},
                      FormatCase{"CarryNewDigit", 999.95, "#0.0", "1000.0"},
                      FormatCase{"WholeHalfUp", 2.5, "#0", "3"},
                      FormatCase{"WholeNegativeHalf", -2.5, "#0", "-3"},
                      FormatCase{"Angles", 123.4567891, "#0.0000", "123.4568"},
                      FormatCase{"Large", 3456789.12345, "#0.000", "3456789.123"},
                      FormatCase{"Tiny", 1e-9, "#0.000", "0.000"},
                      FormatCase{"Exponent", 1.5e20, "#0", "150000000000000000000"},
                      FormatCase{"TenPointZero", 10, "#0.00", "10.00"}),
    [](const auto& info) { return std::string(info.param.name); });

struct ParseCase {
    const char* name;
    const char* text;
    bool numeric;
    double leading;  // the number at the start of the text
    friend void PrintTo(const ParseCase& c, std::ostream* os) { *os << c.name; }
};

class ParseTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseTest, ReadsNumbersAsTheFieldsNeed) {
    const auto& c = GetParam();
    EXPECT_EQ(IsNumeric(c.text), c.numeric);
    EXPECT_DOUBLE_EQ(LeadingNumber(c.text), c.leading);
    if (c.numeric) {
        EXPECT_DOUBLE_EQ(*ParseNumber(c.text), c.leading);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, ParseTest,
    ::testing::Values(
        ParseCase{"Integer", "12", true, 12}, ParseCase{"Signed", "-3.25", true, -3.25},
        ParseCase{"PlusSign", "+4", true, 4}, ParseCase{"Blanks", "  7.5  ", true, 7.5},
        ParseCase{"TrailingPoint", "2.", true, 2}, ParseCase{"LeadingPoint", ".5", true, 0.5},
        ParseCase{"Exponent", "1.5e3", true, 1500}, ParseCase{"NegExponent", "25E-1", true, 2.5},
        ParseCase{"ThousandsComma", "1,000", false, 1}, ParseCase{"Empty", "", false, 0},
        ParseCase{"Blank", "   ", false, 0}, ParseCase{"Letters", "abc", false, 0},
        ParseCase{"NumberThenText", "12abc", false, 12}, ParseCase{"LoneSign", "-", false, 0},
        ParseCase{"LonePoint", ".", false, 0}, ParseCase{"Hex", "0x10", false, 0},
        ParseCase{"Infinity", "inf", false, 0}, ParseCase{"BrokenExponent", "3e", false, 3},
        ParseCase{"InnerBlank", "1 2", false, 1},
        // Beyond a double: not a number, like "abc" in the same place.
        ParseCase{"Overflow", "1e400", false, 0}, ParseCase{"NegativeOverflow", "-1e400", false, 0},
        ParseCase{"OverflowByDigits", "0.001e312", false, 0},
        ParseCase{"InfinitySpelledOut", "Infinity", false, 0},
        ParseCase{"NotANumber", "nan", false, 0}, ParseCase{"SignedInf", "-inf", false, 0},
        ParseCase{"Underflow", "1e-400", true, 0},
        ParseCase{"LargestDouble", "1e308", true, 1e308}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RoundHalfEvenTest, HalvesGoToTheEvenNeighbour) {
    const std::pair<double, double> cases[] = {{2.5, 2}, {3.5, 4},    {-2.5, -2},
                                               {0.5, 0}, {1.4999, 1}, {2.6, 3}};
    for (auto [value, expected] : cases) EXPECT_EQ(RoundHalfEven(value), expected) << value;
}

TEST(PlainNumberTest, JoinsNumbersWithoutPadding) {
    EXPECT_EQ(PlainNumber(1), "1");
    EXPECT_EQ(PlainNumber(-1.5), "-1.5");
    EXPECT_EQ(PlainNumber(0), "0");
    EXPECT_EQ(PlainNumber(0.1 + 0.2), "0.3");
}

// Scale options are strict (a typing slip is refused); a scale box reads the number at
// the start of its entry, as it always has.
TEST(ScaleTest, OptionsAreStrictAndBoxesReadTheLeadingNumber) {
    struct Case {
        const char* text;
        std::optional<double> strict;
        double box;
    } cases[] = {
        {"1:500", 0.5, 0.5},           {"1:1000", 1.0, 1.0},           {"1:20", 0.02, 0.02},
        {"1:0", std::nullopt, 0},      {"1:-5", std::nullopt, -0.005}, {"2:500", std::nullopt, 0.5},
        {"1:500m", std::nullopt, 0.5}, {"1:", std::nullopt, 0},        {"500", std::nullopt, 0},
    };
    for (const auto& c : cases) {
        auto strict = ParseScale(c.text);
        EXPECT_EQ(strict.has_value(), c.strict.has_value()) << c.text;
        if (strict && c.strict) {
            EXPECT_DOUBLE_EQ(*strict, *c.strict) << c.text;
        }
        EXPECT_DOUBLE_EQ(ScaleFactorOf(c.text), c.box) << c.text;
    }
    EXPECT_EQ(ScaleText(0.5), "1:500");
    EXPECT_EQ(ScaleText(*ParseScale("1:2000")), "1:2000");
}

}  // namespace
}  // namespace velorin
