#include "base/numbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace velorin {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Length of the longest decimal-number prefix of s (sign, digits, point, exponent);
// 0 when s does not start with a number.
size_t NumberPrefix(std::string_view s) {
    size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    size_t digits = 0;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i, ++digits;
    }
    if (digits == 0) return 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
        size_t exp_digits = 0;
        while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j]))) ++j, ++exp_digits;
        if (exp_digits > 0) i = j;
    }
    return i;
}

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

// Locale-independent conversion of a checked number prefix. Nothing for a value beyond
// the range of a double: 1e400 is no more a number than "abc". A value too small to hold
// (1e-400) is 0, which is what it means.
std::optional<double> ToDouble(std::string_view s) {
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    double v = 0;
    auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    if (r.ec == std::errc::result_out_of_range) {
        // Overflow or underflow: the decimal exponent of the first significant digit says.
        long magnitude = 0;
        bool seen = false, after_point = false;
        size_t i = s.front() == '-' ? 1 : 0;
        for (; i < s.size() && s[i] != 'e' && s[i] != 'E'; ++i) {
            if (s[i] == '.') {
                after_point = true;
            } else if (!seen && s[i] != '0') {
                seen = true;
                if (after_point) --magnitude;
            } else if (seen && !after_point) {
                ++magnitude;
            } else if (!seen && after_point) {
                --magnitude;
            }
        }
        long exponent = 0;
        if (i < s.size()) {
            std::string_view e = s.substr(i + 1);
            bool negative = !e.empty() && e.front() == '-';
            if (!e.empty() && (e.front() == '-' || e.front() == '+')) e.remove_prefix(1);
            for (char c : e) exponent = std::min(exponent * 10 + (c - '0'), 100000L);
            if (negative) exponent = -exponent;
        }
        if (magnitude + exponent > 0) return std::nullopt;
        return 0.0;
    }
    if (!std::isfinite(v)) return std::nullopt;
    return v;
}

}  // namespace

std::string FormatFixed(double value, int decimals) {
    if (!std::isfinite(value)) return std::isnan(value) ? "NaN" : (value > 0 ? "Inf" : "-Inf");
    // The value as a decimal of 15 significant digits: digits d0.d1...d14 x 10^exp.
    // to_chars, unlike printf, ignores the process locale (Qt sets it from the user's).
    char buf[64];
    auto res =
        std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, 14);
    *res.ptr = '\0';
    std::string mant;
    const char* p = buf;
    for (; *p && *p != 'e'; ++p)
        if (*p != '.') mant.push_back(*p);
    int exp = std::atoi(p + 1);
    // Place the digits on a fixed grid: integer part and `decimals` fraction digits.
    // digits[k] has weight 10^(exp - k).
    int int_digits = exp >= 0 ? exp + 1 : 0;
    std::string grid(static_cast<size_t>(int_digits + decimals + 1), '0');  // +1 rounding digit
    for (size_t k = 0; k < mant.size(); ++k) {
        int weight = exp - static_cast<int>(k);
        int pos = int_digits - 1 - weight;  // index in grid
        if (pos >= 0 && pos < static_cast<int>(grid.size())) grid[pos] = mant[k];
    }
    // Round half away from zero on the digit after the last kept one. The 15-digit
    // decimal is exact enough that only that digit decides.
    bool up = grid.back() >= '5';
    grid.pop_back();
    if (up) {
        int i = static_cast<int>(grid.size()) - 1;
        while (i >= 0 && grid[i] == '9') grid[i--] = '0';
        if (i >= 0)
            ++grid[i];
        else {
            grid.insert(grid.begin(), '1');
            ++int_digits;
        }
    }
    std::string int_part = grid.substr(0, int_digits);
    std::string frac_part = grid.substr(int_digits);
    size_t nz = int_part.find_first_not_of('0');
    int_part = nz == std::string::npos ? "0" : int_part.substr(nz);
    bool zero = int_part == "0" && frac_part.find_first_not_of('0') == std::string::npos;
    std::string out;
    if (value < 0 && !zero) out.push_back('-');
    out += int_part;
    if (decimals > 0) out += "." + frac_part;
    return out;
}

std::string Format(double value, std::string_view pattern) {
    size_t dot = pattern.find('.');
    int decimals = dot == std::string_view::npos ? 0 : static_cast<int>(pattern.size() - dot - 1);
    return FormatFixed(value, decimals);
}

std::string PlainNumber(double value) {
    if (value == 0) return "0";
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 15);
    return std::string(buf, r.ptr);
}

std::optional<double> ParseNumber(std::string_view text) {
    std::string_view s = TrimBlanks(text);
    size_t n = NumberPrefix(s);
    if (n == 0 || n != s.size()) return std::nullopt;
    return ToDouble(s);
}

bool IsNumeric(std::string_view text) { return ParseNumber(text).has_value(); }

double LeadingNumber(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    size_t n = NumberPrefix(text);
    if (n == 0) return 0;
    return ToDouble(text.substr(0, n)).value_or(0);
}

double RoundHalfEven(double value) { return std::nearbyint(value); }

std::string ScaleText(double factor) { return "1:" + Format(factor * 1000, "#0"); }

namespace {
// The text after the "1:" every scale entry starts with.
std::string_view AfterScalePrefix(std::string_view text) {
    return text.size() > 2 ? text.substr(2) : std::string_view();
}
}  // namespace

std::optional<double> ParseScale(std::string_view text) {
    if (!text.starts_with("1:")) return std::nullopt;
    auto n = ParseNumber(AfterScalePrefix(text));
    if (!n || !(*n > 0)) return std::nullopt;
    return *n / 1000;
}

double ScaleFactorOf(std::string_view text) { return LeadingNumber(AfterScalePrefix(text)) / 1000; }

}  // namespace velorin
