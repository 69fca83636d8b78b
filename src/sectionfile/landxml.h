// LandXML 1.2 cross-sections: LandXML/Alignments/Alignment/CrossSects/CrossSect with its
// chainage ("sta", metres) and name, holding CrossSectSurf "地面线" with a PntList2D of
// "offset elevation" pairs. UTF-8, metric.
#pragma once

#include <string>
#include <vector>

#include "sectionfile/chainage.h"

namespace velorin::sectionfile {

inline constexpr const char* kLandXmlNamespace = "http://www.landxml.org/schema/LandXML-1.2";
inline constexpr const char* kGroundSurface = "地面线";

// The whole file, lines ended by CR LF. `date` is "YYYY-MM-DD", `time` "hh:mm:ss".
std::string LandXmlText(const std::vector<PlacedSection>& sections, const std::string& alignment,
                        const std::string& date, const std::string& time);

// Reads every CrossSect of every Alignment. A CrossSect takes its surface named "地面线",
// or its only surface; a file that is not well-formed XML, not LandXML, or in imperial
// units is refused.
SectionsRead ReadLandXml(const std::string& bytes, const std::string& path);

}  // namespace velorin::sectionfile
