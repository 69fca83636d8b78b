#include "sectionfile/section_file.h"

#include "base/numbers.h"
#include "base/paths.h"
#include "base/strings.h"
#include "base/text_file.h"
#include "sectionfile/exchange.h"
#include "store/statements.h"

namespace velorin::sectionfile {

namespace st = store::statements;

std::vector<std::string> SectionFileLines(const std::vector<std::string>& comments,
                                          const std::vector<Section>& sections) {
    std::vector<std::string> lines = comments;
    for (const auto& section : sections) {
        lines.emplace_back();
        lines.push_back("Dmh," + section.number);
        for (const auto& p : section.points)
            lines.push_back(Format(p.chainage, "#0.000") + "," + Format(p.elevation, "#0.000"));
    }
    return lines;
}

Status WriteSectionFile(const std::string& path, const std::vector<std::string>& comments,
                        const std::vector<Section>& sections) {
    return WriteTextLines(path, SectionFileLines(comments, sections));
}

namespace {

// A chainage or elevation part: absolute, or "@" + increment on the running value.
bool TakeValue(const std::string& part, double& running) {
    std::string text = Trim(part);
    bool increment = text.starts_with("@");
    auto value = ParseNumber(increment ? std::string_view(text).substr(1) : std::string_view(text));
    if (!value) return false;
    running = increment ? running + *value : *value;
    return true;
}

}  // namespace

bool ReadSectionFile(std::vector<std::string>& lines, store::WorkingStore& store) {
    // a failed write is kept by the store and reported by the command's commit
    (void)store.Execute(st::kDeleteLine);
    (void)store.Execute(st::kDeleteCross);
    (void)store.Execute(st::kDeletePoint);
    store.Reopen(store::WorkingStore::Table::Line, st::kLineByNo);
    store::RecordSet& cross = store.Reopen(store::WorkingStore::Table::Cross, st::kCrossBySIndex);
    store::RecordSet& point =
        store.Reopen(store::WorkingStore::Table::Point, st::kPointByCrossNoSlen);

    std::string section;
    double chainage = 0, elevation = 0;
    auto open_section = [&](const std::string& number, size_t i) {
        section = number;
        cross.AddNew();
        cross.SetField("CrossNo", section);
        cross.SetField("SIndex", static_cast<double>(i));
        // a failed write is kept by the store and reported by the command's commit
        (void)cross.Update();
    };
    auto mark = [&](size_t i) { lines[i] = "; 错误 " + lines[i]; };

    for (size_t i = 0; i < lines.size(); ++i) {
        std::string line = UpperCase(Trim(lines[i]));
        if (line.empty() || line.starts_with(";")) continue;
        if (line.starts_with("DMH,")) {
            chainage = elevation = 0;
            std::string number = Trim(line.substr(4));
            open_section(number.empty() ? "临" + Format(static_cast<double>(i), "#0") : number, i);
            continue;
        }
        if (section.empty()) open_section("临" + Format(static_cast<double>(i), "#0"), i);
        size_t comma = line.find(',');
        if (comma == std::string::npos) {
            mark(i);
            continue;
        }
        if (!TakeValue(line.substr(0, comma), chainage) ||
            !TakeValue(line.substr(comma + 1), elevation)) {
            mark(i);
            store.Flush();
            return false;
        }
        // a failed write is kept by the store and reported by the command's commit
        (void)store::AppendPoint(point, section, chainage, elevation, 0.0, "数据断面");
    }
    store.Flush();
    return true;
}

void StoreSections(const std::vector<Section>& sections, store::WorkingStore& store) {
    // a failed write is kept by the store and reported by the command's commit
    (void)store.Execute(st::kDeleteLine);
    (void)store.Execute(st::kDeleteCross);
    (void)store.Execute(st::kDeletePoint);
    store.Reopen(store::WorkingStore::Table::Line, st::kLineByNo);
    store::RecordSet& cross = store.Reopen(store::WorkingStore::Table::Cross, st::kCrossBySIndex);
    store::RecordSet& point =
        store.Reopen(store::WorkingStore::Table::Point, st::kPointByCrossNoSlen);
    for (size_t i = 0; i < sections.size(); ++i) {
        cross.AddNew();
        cross.SetField("CrossNo", sections[i].number);
        cross.SetField("SIndex", static_cast<double>(i));
        // a failed write is kept by the store and reported by the command's commit
        (void)cross.Update();
        for (const auto& p : sections[i].points)
            (void)store::AppendPoint(point, sections[i].number, p.chainage, p.elevation, 0.0,
                                     "数据断面");
    }
    store.Flush();  // a failed write is kept by the store and reported by the next commit
}

std::vector<Section> SectionsOfStore(store::WorkingStore& store) {
    std::vector<Section> sections;
    store::RecordSet& cross = store.Reopen(store::WorkingStore::Table::Cross, st::kCrossBySIndex);
    for (cross.MoveFirst(); !cross.EndOfFile(); cross.MoveNext()) {
        Section section{cross.Text("CrossNo"), {}};
        store::RecordSet& point =
            store.Reopen(store::WorkingStore::Table::Point, st::PointsOfSection(section.number));
        for (point.MoveFirst(); !point.EndOfFile(); point.MoveNext())
            section.points.push_back({point.Number("Slen"), point.Number("High")});
        sections.push_back(std::move(section));
    }
    store.Reopen(store::WorkingStore::Table::Point, st::kPointByCrossNoSlen);
    return sections;
}

std::string PrepareSectionDataFolder(app::Settings& settings, Status* status) {
    settings.MainDir = WithTrailingSeparator(settings.MainDir);
    std::string folder = settings.MainDir + "断面数据" + kSeparator;
    Status made = MakeFolder(folder);
    if (status)
        *status = made.ok() ? made : Status::Error(made.message() + "，断面数据文件未能保存。");
    return folder;
}

std::string SingleSectionFileName(const std::string& section) { return section + ".dm"; }
std::string SingleProfileFileName(const std::string& section) { return "纵_" + section + ".dm"; }
std::string BatchFileName(const std::string& first, const std::string& last) {
    return first + "～" + last + ".dm";
}
std::string NormalisedFileName(const std::string& read_path) {
    return ReplaceExtension(read_path, "（标）.dm");
}

std::vector<std::string> SingleSectionComments() { return {"; 横断面图"}; }
std::vector<std::string> SingleProfileComments(double kilometres, double metres) {
    return {"; 纵断面图",
            "; 起点里程：" + PlainNumber(kilometres) + "+" + Format(metres, "#0.000")};
}
std::vector<std::string> BatchComments(const std::string& first, const std::string& last) {
    return {"; 批量断面", "; 断面号：" + first + "～" + last};
}

}  // namespace velorin::sectionfile
