#include "survey/idex.h"

#include "base/numbers.h"
#include "base/strings.h"
#include "survey/survey_file.h"

namespace velorin::survey {

namespace {

enum class Outer { None, Header, Database, Meteo, Theodolite };
enum class Inner { None, Project, Instruments, Configs, Setup, Slope };

std::string Unquote(std::string_view text) {
    if (!text.empty() && text.front() == '"') text.remove_prefix(1);
    if (!text.empty() && text.back() == '"') text.remove_suffix(1);
    return std::string(text);
}

std::string Prepared(std::string_view raw) {
    std::string line(raw);
    for (char& c : line)
        if (c == '\t') c = ' ';
    line = UpperCase(Trim(line));
    if (!line.empty() && line.back() == ';') line.pop_back();
    return line;
}

}  // namespace

std::vector<std::string> ConvertIdex(const std::vector<std::string>& raw_lines,
                                     std::string_view source_path, double limit,
                                     std::string_view now) {
    std::vector<std::string> out;
    out.push_back(kIdexModelLine);
    out.push_back(std::string(kSourceLinePrefix) + std::string(source_path));
    Outer outer = Outer::None;
    Inner inner = Inner::None;
    int records = 0;
    for (const auto& raw : raw_lines) {
        std::string line = Prepared(raw);
        if (line == "HEADER") {
            outer = Outer::Header;
            continue;
        }
        if (line == "DATABASE") {
            outer = Outer::Database;
            continue;
        }
        if (line == "METEO") {
            outer = Outer::Meteo;
            continue;
        }
        if (line == "THEODOLITE") {
            outer = Outer::Theodolite;
            continue;
        }
        if (line == "END HEADER" || line == "END DATABASE" || line == "END METEO" ||
            line == "END THEODOLITE") {
            outer = Outer::None;
            continue;
        }
        if (outer == Outer::Header) {
            if (line == "PROJECT") {
                inner = Inner::Project;
            } else if (line == "END PROJECT") {
                inner = Inner::None;
            } else if (inner == Inner::Project) {
                size_t blank = line.find(' ');
                if (blank != std::string::npos) {
                    std::string key = Trim(std::string_view(line).substr(0, blank));
                    std::string_view value = std::string_view(line).substr(blank + 1);
                    if (key == "OPERATOR") {
                        out.push_back("; 操作员：" + Unquote(Trim(value)));
                    } else if (key == "CREATION_DATE") {
                        out.push_back("; 时  间：" + Trim(value));
                        out.push_back("; 转  换：" + std::string(now));
                    }
                }
            }
        }
        if (outer != Outer::Theodolite) continue;
        std::string keyword = Trim(std::string_view(line).substr(0, line.find('(')));
        if (keyword == "INSTRUMENTS") {
            inner = Inner::Instruments;
            continue;
        }
        if (keyword == "CONFIGS") {
            inner = Inner::Configs;
            continue;
        }
        if (keyword == "SLOPE") {
            inner = Inner::Slope;
            continue;
        }
        if (keyword == "SETUP") {
            inner = Inner::Setup;
            records = 0;
            continue;
        }
        // "END SLOPE" closes its block like every other END keyword, so the closing line
        // is never read as a record.
        if (keyword == "END INSTRUMENTS" || keyword == "END CONFIGS" || keyword == "END SETUP" ||
            keyword == "END SLOPE") {
            inner = Inner::None;
            continue;
        }
        if (inner == Inner::Setup && line.find(' ') != std::string::npos) {
            if (StartsWith(line, "STN_ID")) {
                out.emplace_back();
                out.push_back("cz," + Unquote(Trim(std::string_view(line).substr(6))));
            } else if (StartsWith(line, "INST_HT")) {
                double height = LeadingNumber(std::string_view(line).substr(7));
                out.back() += "," + Format(height, "#0.000");
            }
        } else if (inner == Inner::Slope && !line.empty()) {
            ++records;
            std::vector<std::string> parts = Split(line, ',');
            std::string f[9];
            for (size_t k = 1; k <= 8 && k <= parts.size(); ++k) f[k] = Unquote(Trim(parts[k - 1]));
            f[4] = FormatField(f[4], "#0.0000");
            f[5] = FormatField(f[5], "#0.0000");
            f[6] = FormatField(f[6], "#0.000");
            f[7] = FormatField(f[7], "#0.000");
            if (LeadingNumber(f[7]) > limit) f[7].clear();
            size_t chars = CharCount(f[8]);
            f[8] = chars > 5 ? LeftChars(f[8], chars - 5) : std::string();
            if (records == 1) {
                out.push_back("hs," + f[2]);
                continue;
            }
            if (records == 2) out.push_back("; 观测时间 = " + f[8]);
            out.push_back(f[2] + "," + f[4] + "," + f[6] + "," + f[5] + "," + f[7]);
        }
    }
    return out;
}

}  // namespace velorin::survey
