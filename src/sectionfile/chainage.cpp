#include "sectionfile/chainage.h"

#include <cmath>

#include "base/numbers.h"
#include "base/strings.h"

namespace velorin::sectionfile {

namespace {

bool AllDigits(std::string_view s) {
    if (s.empty()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

std::optional<double> ChainageFromName(const std::string& name) {
    std::string text = Trim(name);
    size_t plus = text.find('+');
    if (plus == std::string::npos) return std::nullopt;
    std::string head = text.substr(0, plus), tail = text.substr(plus + 1);
    size_t digits = head.size();
    while (digits > 0 && head[digits - 1] >= '0' && head[digits - 1] <= '9') --digits;
    std::string prefix = head.substr(0, digits), km = head.substr(digits);
    if (!AllDigits(km)) return std::nullopt;
    if (!prefix.empty()) {
        if (prefix.back() != 'K' && prefix.back() != 'k') return std::nullopt;
        for (char c : prefix)
            if (!IsAsciiLetter(c)) return std::nullopt;
    }
    // The metres: digits, optionally a point and more digits; no sign, no exponent.
    size_t point = tail.find('.');
    std::string whole = tail.substr(0, point);
    if (!AllDigits(whole)) return std::nullopt;
    if (point != std::string::npos && !AllDigits(tail.substr(point + 1))) return std::nullopt;
    auto metres = ParseNumber(tail);
    auto kilometres = ParseNumber(km);
    if (!metres || !kilometres || *metres >= 1000) return std::nullopt;
    return *kilometres * 1000 + *metres;
}

Status LineError(const std::string& path, size_t line_index, const std::string& cause) {
    return Status::Error("文件“" + path + "”第" + std::to_string(line_index + 1) + "行：" + cause);
}

SectionsRead Refused(const std::string& path, size_t line_index, const std::string& cause) {
    return {LineError(path, line_index, cause), {}};
}

long long Millimetres(double metres) { return std::llround(metres * 1000); }

std::string Metres(long long millimetres) {
    return FormatFixed(static_cast<double>(millimetres) / 1000, 3);
}

std::string NameOfChainage(double chainage) {
    long long mm = Millimetres(chainage);
    if (mm < 0) return PlainNumber(static_cast<double>(mm) / 1000);
    long long km = mm / 1000000, rest = mm % 1000000;
    std::string metres = std::to_string(rest / 1000);
    metres.insert(0, 3 - metres.size(), '0');
    if (long long fraction = rest % 1000; fraction != 0) {
        std::string decimals = std::to_string(fraction);
        decimals.insert(0, 3 - decimals.size(), '0');
        while (decimals.back() == '0') decimals.pop_back();
        metres += "." + decimals;
    }
    return "K" + std::to_string(km) + "+" + metres;
}

Placement PlaceSections(const std::vector<Section>& sections, std::optional<double> start,
                        std::optional<double> spacing) {
    Placement placed;
    const Section* unnamed = nullptr;
    for (const Section& section : sections) {
        auto chainage = ChainageFromName(section.number);
        if (!chainage) {
            unnamed = &section;
            break;
        }
        placed.sections.push_back({section, *chainage});
    }
    if (!unnamed) return placed;
    placed.sections.clear();
    if (!start || !spacing) {
        placed.status = Status::Error("断面“" + unnamed->number +
                                      "”的名称不是里程（如 K1+234.5），无法确定它的里程。"
                                      "请填写起点里程和间距后再保存。");
        return placed;
    }
    for (size_t i = 0; i < sections.size(); ++i)
        placed.sections.push_back({sections[i], *start + static_cast<double>(i) * *spacing});
    return placed;
}

ChainageFields ReadChainageFields(const std::string& start, const std::string& spacing) {
    ChainageFields fields;
    std::string a = Trim(start), b = Trim(spacing);
    if (a.empty() && b.empty()) return fields;
    if (a.empty() || b.empty()) {
        fields.status = Status::Error("起点里程和间距要一起填写（或都不填，从断面名称取里程）。");
        return fields;
    }
    fields.start = ChainageFromName(a);
    if (!fields.start) fields.start = ParseNumber(a);
    if (!fields.start || *fields.start < 0) {
        fields.status =
            Status::Error("起点里程“" + a + "”有误：应写成米数（如 100）或里程（如 K0+100）。");
        return fields;
    }
    fields.spacing = ParseNumber(b);
    if (!fields.spacing || !(*fields.spacing > 0)) {
        fields.status = Status::Error("间距“" + b + "”有误：应为大于零的米数。");
        fields.start.reset();
        fields.spacing.reset();
    }
    return fields;
}

}  // namespace velorin::sectionfile
