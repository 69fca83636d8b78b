// The ground-line files of the common road-design package: the cross-section file (.HDM,
// "HINTCAD5.83_HDM_SHUJU") holds per section its chainage, then the left and the right
// side as a count and pairs (distance, height difference) each measured from the previous
// point outwards from the centre stake; the profile file (.DMX, "HINTCAD5.83_DMX_SHUJU")
// holds the centre's ground elevation of each chainage.
#pragma once

#include <string>
#include <vector>

#include "sectionfile/chainage.h"

namespace velorin::sectionfile {

inline constexpr const char* kHdmMagic = "HINTCAD5.83_HDM_SHUJU";
inline constexpr const char* kDmxMagic = "HINTCAD5.83_DMX_SHUJU";

// Every section must have a centre point (offset 0) and chainages must not go backwards;
// otherwise an error naming the first section that does not fit.
Status CheckForHintCad(const std::vector<PlacedSection>& sections);

std::vector<std::string> HintCadHdmLines(const std::vector<PlacedSection>& sections);
std::vector<std::string> HintCadDmxLines(const std::vector<PlacedSection>& sections);

// Both files' lines; the .DMX must give the centre elevation of every chainage in order.
SectionsRead ReadHintCad(const std::vector<std::string>& hdm, const std::string& hdm_path,
                         const std::vector<std::string>& dmx, const std::string& dmx_path);

}  // namespace velorin::sectionfile
