#include "survey/gts311.h"

#include <array>

#include "base/numbers.h"
#include "base/strings.h"
#include "survey/survey_file.h"

namespace velorin::survey {

namespace {

// Fields 1 to 5 of a record's data; later fields are dropped, missing ones are empty,
// and a field with a back-tick keeps only what follows its first one.
std::array<std::string, 5> RecordFields(std::string_view data) {
    std::array<std::string, 5> fields;
    size_t start = 0;
    for (size_t k = 0; k < fields.size() && start <= data.size(); ++k) {
        size_t comma = data.find(',', start);
        std::string_view field = data.substr(
            start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
        size_t tick = field.find('`');
        if (tick != std::string_view::npos) field.remove_prefix(tick + 1);
        fields[k] = std::string(field);
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    return fields;
}

double HeightOf(const std::string& field) {
    auto value = ParseNumber(field);
    return value ? *value : kNoHeight;
}

}  // namespace

std::vector<std::string> ConvertGts311(const std::vector<std::string>& raw_lines,
                                       std::string_view source_path, double limit) {
    std::vector<std::string> out;
    out.reserve(raw_lines.size() + 8);
    out.push_back(kGts311ModelLine);
    out.push_back(std::string(kSourceLinePrefix) + std::string(source_path));
    std::string name;
    double height = kNoHeight;
    for (const auto& line : raw_lines) {
        if (EqualsIgnoreCase(LeftChars(line, 3), "GTS")) continue;
        std::string head = LeftChars(line, 8);
        std::string code = UpperCase(Trim(head));
        if (code != "STN" && code != "BS" && code != "SS" && code != "HD") continue;
        auto fields = RecordFields(Trim(std::string_view(line).substr(head.size())));
        if (code == "HD") {
            std::string obs = name + "," + FormatField(fields[0], "#0.0000") + "," +
                              FormatField(fields[1], "#0.000") + "," +
                              FormatField(fields[2], "#0.000");
            if (height != kNoHeight && height < limit)
                obs.append(",").append(Format(height, "#0.000"));
            out.push_back(std::move(obs));
            continue;
        }
        name = fields[0];
        height = HeightOf(fields[1]);
        if (code == "STN") {
            out.emplace_back();
            std::string station = "cz," + name;
            if (height != kNoHeight) station.append(",").append(Format(height, "#0.000"));
            out.push_back(std::move(station));
        } else if (code == "BS") {
            out.push_back("hs," + name);
        }
    }
    return out;
}

}  // namespace velorin::survey
