// The mileage file (里程文件, .hdm) of the common survey and mapping package: per section
// "BEGIN,<chainage>:<number>" and one "offset,elevation" line per point, offsets negative
// left of the centre stake; a section without a centre point is measured from its
// leftmost point.
#pragma once

#include <string>
#include <vector>

#include "sectionfile/chainage.h"

namespace velorin::sectionfile {

std::vector<std::string> CassHdmLines(const std::vector<PlacedSection>& sections);

// The first non-blank line must be a "BEGIN," line; every other non-blank line two numbers.
SectionsRead ReadCassHdm(const std::vector<std::string>& lines, const std::string& path);

}  // namespace velorin::sectionfile
