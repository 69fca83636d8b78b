#include "sectionfile/exchange.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <set>

#include "base/paths.h"
#include "base/strings.h"
#include "base/text_file.h"
#include "sectionfile/cass_hdm.h"
#include "sectionfile/hintcad.h"
#include "sectionfile/landxml.h"
#include "sectionfile/section_csv.h"

namespace velorin::sectionfile {

namespace {

bool HasExtension(const std::string& path, const char* extension) {
    return path.size() > 4 && EqualsIgnoreCase(path.substr(path.size() - 4), extension);
}

std::string Stamp(const std::string& now, bool date) {
    // "2024-5-6 14:03:22" -> "2024-05-06" or "14:03:22".
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    std::sscanf(now.c_str(), "%d-%d-%d %d:%d:%d", &y, &mo, &d, &h, &mi, &s);
    char text[32];
    if (date)
        std::snprintf(text, sizeof text, "%04d-%02d-%02d", y, mo, d);
    else
        std::snprintf(text, sizeof text, "%02d:%02d:%02d", h, mi, s);
    return text;
}

std::string BaseName(const std::string& path) {
    size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::optional<ExchangeFormat> ExchangeFormatNamed(const std::string& name) {
    for (ExchangeFormat f : kExchangeFormats)
        if (EqualsIgnoreCase(name, ExchangeFormatName(f))) return f;
    return std::nullopt;
}

std::string ExchangeFormatName(ExchangeFormat format) {
    switch (format) {
        case ExchangeFormat::CassHdm:
            return "hdm";
        case ExchangeFormat::HintCad:
            return "hintcad";
        case ExchangeFormat::LandXml:
            return "landxml";
        case ExchangeFormat::Csv:
            return "csv";
    }
    return "";
}

bool IsExchangeFile(const std::string& path) {
    return HasExtension(path, ".hdm") || HasExtension(path, ".xml") || HasExtension(path, ".csv");
}

std::string ExportStem(const std::string& read_path) { return ReplaceExtension(read_path, ""); }

std::vector<std::string> ExchangeFileNames(const std::string& read_path, ExchangeFormat format) {
    std::string stem = ExportStem(read_path);
    switch (format) {
        case ExchangeFormat::CassHdm:
            return {stem + ".hdm"};
        case ExchangeFormat::HintCad:
            return {stem + ".HDM", stem + ".DMX"};
        case ExchangeFormat::LandXml:
            return {stem + ".xml"};
        case ExchangeFormat::Csv:
            return {stem + ".csv"};
    }
    return {};
}

Status CheckExchangeFit(ExchangeFormat format, const std::vector<PlacedSection>& sections) {
    if (format == ExchangeFormat::HintCad) return CheckForHintCad(sections);
    if (format == ExchangeFormat::Csv)
        for (const auto& s : sections)
            if (s.section.points.empty())
                return Status::Error("断面“" + s.section.number +
                                     "”没有点，CSV 文件按点成行，无法写出；没有保存任何文件。");
    return Status::Ok();
}

Status CheckExchangeNames(const std::string& read_path,
                          const std::vector<ExchangeFormat>& formats) {
    auto chosen = [&](ExchangeFormat f) {
        return std::find(formats.begin(), formats.end(), f) != formats.end();
    };
    if (!chosen(ExchangeFormat::CassHdm) || !chosen(ExchangeFormat::HintCad)) return Status::Ok();
    // The loaded file under its name with the letter case of the extension turned: found
    // and the same file only where names ignore case. Nothing is written to find out.
    std::string turned = read_path;
    for (size_t i = turned.find_last_of('.'); i != std::string::npos && i < turned.size(); ++i) {
        char c = turned[i];
        if (c >= 'a' && c <= 'z')
            turned[i] = static_cast<char>(c - 'a' + 'A');
        else if (c >= 'A' && c <= 'Z')
            turned[i] = static_cast<char>(c - 'A' + 'a');
    }
    std::error_code ec;
    if (turned == read_path || !std::filesystem::equivalent(read_path, turned, ec) || ec)
        return Status::Ok();
    std::string cass = ExchangeFileNames(read_path, ExchangeFormat::CassHdm)[0];
    std::string hintcad = ExchangeFileNames(read_path, ExchangeFormat::HintCad)[0];
    return Status::Error("这个文件夹的文件名不区分大小写，“" + cass + "”（CASS）与“" + hintcad +
                         "”（纬地）是同一个文件，不能同时保存。请一次只选其中一种，"
                         "保存后先把文件移走或改名。没有保存任何文件。");
}

Status WriteExchangeFiles(const std::string& read_path, ExchangeFormat format,
                          const std::vector<PlacedSection>& sections, const std::string& now) {
    if (Status fit = CheckExchangeFit(format, sections); !fit.ok()) return fit;
    auto names = ExchangeFileNames(read_path, format);
    switch (format) {
        case ExchangeFormat::CassHdm:
            return WriteTextLines(names[0], CassHdmLines(sections));
        case ExchangeFormat::HintCad: {
            if (Status s = WriteTextLines(names[0], HintCadHdmLines(sections)); !s.ok()) return s;
            return WriteTextLines(names[1], HintCadDmxLines(sections));
        }
        case ExchangeFormat::LandXml: {
            std::string alignment = BaseName(ExportStem(read_path));
            return WriteFileAtomically(
                names[0], LandXmlText(sections, alignment, Stamp(now, true), Stamp(now, false)));
        }
        case ExchangeFormat::Csv:
            return WriteFileAtomically(names[0], CsvText(sections));
    }
    return Status::Ok();
}

namespace {

ExchangeRead ReadByContent(const std::string& path) {
    ExchangeRead result;
    if (HasExtension(path, ".xml")) {
        int error = 0;
        auto bytes = ReadFileBytes(path, &error);
        if (!bytes) {
            result.read.status =
                Status::Error("无法读取文件“" + path + "”：" + ErrorText(error) + "。");
            return result;
        }
        result.lines = SplitLines(bytes->starts_with("\xEF\xBB\xBF") ? bytes->substr(3) : *bytes);
        result.read = ReadLandXml(*bytes, path);
        return result;
    }
    TextLines file = ReadTextLines(path);
    if (!file.status.ok()) {
        result.read.status = file.status;
        return result;
    }
    result.lines = file.lines;
    if (HasExtension(path, ".csv")) {
        if (!result.lines.empty() && result.lines[0].starts_with("\xEF\xBB\xBF"))
            result.lines[0] = result.lines[0].substr(3);
        result.read = ReadCsv(result.lines, path);
        return result;
    }
    if (!file.lines.empty() && Trim(file.lines[0]) == kHdmMagic) {
        std::string dmx_path = path.substr(0, path.size() - 4) + ".DMX";
        TextLines dmx = ReadTextLines(dmx_path);
        if (!dmx.status.ok()) {
            // Some file systems keep the letter case of the name the other program chose.
            std::string lower = path.substr(0, path.size() - 4) + ".dmx";
            TextLines other = ReadTextLines(lower);
            if (other.status.ok()) dmx = other, dmx_path = lower;
        }
        if (!dmx.status.ok()) {
            result.read.status =
                Status::Error("纬地横断面文件“" + path + "”的中桩高程在地面线文件“" + dmx_path +
                              "”中，该文件无法读取：" + dmx.status.message());
            return result;
        }
        result.read = ReadHintCad(file.lines, path, dmx.lines, dmx_path);
        return result;
    }
    for (size_t i = 0; i < file.lines.size(); ++i) {
        std::string line = Trim(file.lines[i]);
        if (line.empty()) continue;
        if (!UpperCase(line).starts_with("BEGIN,")) {
            result.read.status =
                LineError(path, i,
                          std::string("既不是纬地横断面文件（第一行应为“") + kHdmMagic +
                              "”），也不是 CASS 里程文件（应以“BEGIN,里程”行开始）。");
            return result;
        }
        break;
    }
    result.read = ReadCassHdm(file.lines, path);
    return result;
}

}  // namespace

ExchangeRead ReadExchangeFile(const std::string& path) {
    ExchangeRead result = ReadByContent(path);
    // The store keeps a section's points under its name: two sections of one name would
    // merge.
    std::set<std::string> names;
    for (const auto& s : result.read.sections)
        if (!names.insert(s.section.number).second) {
            result.read.status = Status::Error("文件“" + path + "”中有两个断面名为“" +
                                               s.section.number + "”（里程相同），无法分开读取。");
            result.read.sections.clear();
            break;
        }
    return result;
}

}  // namespace velorin::sectionfile
