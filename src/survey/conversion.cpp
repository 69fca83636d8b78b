#include "survey/conversion.h"

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
    }
    result.target = ReplaceLastFour(path, ".sur");
    return result;
}

Status SaveSurveyFile(const std::string& target, const std::vector<std::string>& lines) {
    return WriteTextLines(target, lines);
}

}  // namespace velorin::survey
