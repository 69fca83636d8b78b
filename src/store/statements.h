// Every statement and find-first criterion the commands issue, in one place. Numbers are
// spliced as "#0.000"; texts through SqlText, so an apostrophe is escaped.
#pragma once

#include <string>
#include <string_view>

namespace velorin::store::statements {

inline constexpr const char* kDeleteLine = "Delete * from Line";
inline constexpr const char* kDeleteCross = "Delete * from Cross";
inline constexpr const char* kDeletePoint = "Delete * from Point";
inline constexpr const char* kDeleteCtl = "Delete * from Ctl";
inline constexpr const char* kLineByNo = "Select * from Line Order By [No]";
inline constexpr const char* kCrossByCrossNo = "Select * from Cross Order By CrossNo";
inline constexpr const char* kCrossBySIndex = "Select * from Cross Order By SIndex";
inline constexpr const char* kPointByCrossNoSlen = "Select * from Point Order By CrossNo,Slen";
inline constexpr const char* kCtlByNameCtlNo = "Select * from Ctl Order By Name,CtlNo";

// "Select * from Point Where CrossNo='N' Order By Slen"
std::string PointsOfSection(std::string_view section);
// "... Order By [Slen]" (the loader's spelling; the same rows)
std::string PointsOfSectionBracketed(std::string_view section);
// "Select * from Point Where CrossNo='N'"
std::string PointsOfSectionUnordered(std::string_view section);
// Left side from the centre outwards: "(CrossNo='N' And Slen<0) Order By Abs(Slen)"
std::string LeftPointsOfSection(std::string_view section);
// Right side: "(CrossNo='N' And Slen>0) Order By Slen"
std::string RightPointsOfSection(std::string_view section);
// "Update Point Set Slen=Slen-C"
std::string ShiftAllChainages(double centre);
// "Update Point Set Slen=Slen-C Where CrossNo='N'"
std::string ShiftSectionChainages(double centre, std::string_view section);
// "Update Point Set Slen=Slen+S"
std::string AddStartChainage(double start);

// Criteria.
inline constexpr const char* kNegativeChainage = "Slen<0";
std::string LayerIs(std::string_view layer);
std::string SectionAndLayer(std::string_view section, std::string_view layer);
std::string SectionCentre(std::string_view section);

}  // namespace velorin::store::statements
