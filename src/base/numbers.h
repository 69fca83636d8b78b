// The program's one place for number formats and number reading, so files and messages
// agree everywhere: "#0.000"-style formats, "reads as a number", the number at the
// start of a text, and whole-number rounding half to even.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velorin {

// Fixed-point text with exactly `decimals` decimals and at least one integer digit.
// Rounds half away from zero on the value as printed to 15 significant digits
// (2.675 -> "2.68", 1.0005 -> "1.001"); a result of zero never carries a minus sign.
std::string FormatFixed(double value, int decimals);

// The named formats: "#0.000", "#0.0000", "#0.00", "#0.0", "#0".
std::string Format(double value, std::string_view pattern);

// A number as plain text, the way a value is joined into a text: up to 15 significant
// digits, no trailing zeros ("1", "1.5", "-0.25").
std::string PlainNumber(double value);

// Ordinary decimal notation with optional sign, decimal point and exponent, blanks
// around it allowed; "1,000", "", "inf", "nan", "0x10" and values beyond the range of a
// double ("1e400") are not numbers.
bool IsNumeric(std::string_view text);
std::optional<double> ParseNumber(std::string_view text);

// The number at the start of the text after leading blanks; 0 when there is none
// ("2." -> 2, "12abc" -> 12, "abc" -> 0, "1e400" -> 0). Callers that must tell a bad
// field from 0 check it with ParseNumber first.
double LeadingNumber(std::string_view text);

// Plot scales "1:N" and the factor N / 1000 the settings keep (1:500 <-> 0.5).
std::string ScaleText(double factor);  // "1:" + the factor × 1000 in "#0"
// Strict, for options: empty unless the text is "1:" and a positive number.
std::optional<double> ParseScale(std::string_view text);
// As a scale box reads its entry: the number at the start after "1:" (0 when none).
double ScaleFactorOf(std::string_view text);

// Nearest whole number, a half to the even neighbour (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
double RoundHalfEven(double value);

}  // namespace velorin
