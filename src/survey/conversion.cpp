#include "survey/conversion.h"

#include "base/paths.h"
#include "base/text_file.h"
#include "survey/gts311.h"
#include "survey/idex.h"
#include "survey/survey_file.h"

namespace velorin::survey {

RawModel ModelFromItem(std::string_view item) {
    if (item == kGts311Item) return RawModel::Gts311;
    if (item == kIdexItem) return RawModel::Idex;
    return RawModel::None;
}

Conversion ConvertRawFile(const std::string& path, RawModel model, double limit,
                          std::string_view now) {
    Conversion result;
    if (model != RawModel::None) {
        TextLines raw = ReadTextLines(path);
        if (!raw.status.ok()) {
            result.status = raw.status;
            return result;
        }
        result.lines = model == RawModel::Gts311 ? ConvertGts311(raw.lines, path, limit)
                                                 : ConvertIdex(raw.lines, path, limit, now);
        // Only the header: the reader recognised nothing, so the file is not of this
        // instrument (or not a raw file at all). Saving it would make an empty survey.
        bool recognised = false;
        for (const auto& line : result.lines)
            if (!line.empty() && line.front() != ';') recognised = true;
        if (!recognised) {
            result.status =
                Status::Error("文件“" + path + "”中没有找到 " +
                              (model == RawModel::Gts311 ? "Topcon GTS 311" : "Leica TC 307") +
                              " 格式的记录，请检查文件或所选的全站仪型号。");
            return result;
        }
    }
    result.target = ReplaceExtension(path, ".sur");
    return result;
}

Status SaveSurveyFile(const std::string& target, const std::vector<std::string>& lines) {
    return WriteTextLines(target, lines);
}

}  // namespace velorin::survey
