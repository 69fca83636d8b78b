#include "store/statements.h"

#include "base/numbers.h"
#include "store/working_store.h"

namespace velorin::store::statements {

std::string PointsOfSection(std::string_view section) {
    return "Select * from Point Where CrossNo=" + SqlText(section) + " Order By Slen";
}
std::string PointsOfSectionBracketed(std::string_view section) {
    return "Select * from Point Where CrossNo=" + SqlText(section) + " Order By [Slen]";
}
std::string PointsOfSectionUnordered(std::string_view section) {
    return "Select * from Point Where CrossNo=" + SqlText(section);
}
std::string LeftPointsOfSection(std::string_view section) {
    return "Select * from Point Where (CrossNo=" + SqlText(section) +
           " And Slen<0) Order By Abs(Slen)";
}
std::string RightPointsOfSection(std::string_view section) {
    return "Select * from Point Where (CrossNo=" + SqlText(section) + " And Slen>0) Order By Slen";
}
std::string ShiftAllChainages(double centre) {
    return "Update Point Set Slen=Slen-" + Format(centre, "#0.000");
}
std::string ShiftSectionChainages(double centre, std::string_view section) {
    return "Update Point Set Slen=Slen-" + Format(centre, "#0.000") +
           " Where CrossNo=" + SqlText(section);
}
std::string AddStartChainage(double start) {
    return "Update Point Set Slen=Slen+" + Format(start, "#0.000");
}
std::string LayerIs(std::string_view layer) { return "Layer=" + SqlText(layer); }
std::string SectionAndLayer(std::string_view section, std::string_view layer) {
    return "CrossNo=" + SqlText(section) + " And Layer=" + SqlText(layer);
}
std::string SectionCentre(std::string_view section) {
    return "CrossNo=" + SqlText(section) + " And Slen=0";
}

}  // namespace velorin::store::statements
