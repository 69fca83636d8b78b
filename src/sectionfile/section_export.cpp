#include "sectionfile/section_export.h"

#include "base/numbers.h"
#include "base/paths.h"
#include "base/strings.h"
#include "sectionfile/exchange.h"
#include "store/statements.h"

namespace velorin::sectionfile {

namespace st = store::statements;
using Table = store::WorkingStore::Table;

std::string LeftRightFileName(const std::string& read_path) {
    return ReplaceExtension(read_path, "（左右）.Txt");
}

bool HasLeftSide(store::WorkingStore& store) {
    store.Reopen(Table::Cross, st::kCrossBySIndex);
    return store.Reopen(Table::Point, st::kPointByCrossNoSlen).FindFirst(st::kNegativeChainage);
}

namespace {

// One side on one line: distance from the centre, elevation, each followed by a comma.
std::string SideLine(store::RecordSet& rows, bool left, const char* none) {
    if (rows.EndOfFile()) return none;
    std::string line;
    for (rows.MoveFirst(); !rows.EndOfFile(); rows.MoveNext()) {
        double chainage = rows.Number("Slen");
        line += Format(left ? -chainage : chainage, "#0.000") + "," +
                Format(rows.Number("High"), "#0.000") + ",";
    }
    return line;
}

}  // namespace

std::vector<std::string> LeftRightLines(store::WorkingStore& store) {
    std::vector<std::string> lines = {"; 道路断面左右格式"};
    std::vector<std::string> sections;
    store::RecordSet& cross = store.Reopen(Table::Cross, st::kCrossBySIndex);
    for (cross.MoveFirst(); !cross.EndOfFile(); cross.MoveNext())
        sections.push_back(cross.Text("CrossNo"));
    for (const std::string& section : sections) {
        lines.emplace_back();
        std::string centre = section;
        store::RecordSet& all = store.Reopen(Table::Point, st::PointsOfSectionUnordered(section));
        if (all.FindFirst(st::SectionCentre(section)))
            centre += "," + Format(all.Number("High"), "#0.000");
        lines.push_back(centre);
        lines.push_back(SideLine(store.Reopen(Table::Point, st::LeftPointsOfSection(section)), true,
                                 "没有左侧资料"));
        lines.push_back(SideLine(store.Reopen(Table::Point, st::RightPointsOfSection(section)),
                                 false, "没有右侧资料"));
    }
    return lines;
}

}  // namespace velorin::sectionfile
