// Sections as a spreadsheet table: one row per point, columns section name, chainage,
// offset, elevation, under a header row. UTF-8 with a byte order mark (so spreadsheet
// programs show Chinese), CR LF.
#pragma once

#include <string>
#include <vector>

#include "sectionfile/chainage.h"

namespace velorin::sectionfile {

inline constexpr const char* kCsvHeader = "断面名,里程,距离,高程";

std::string CsvText(const std::vector<PlacedSection>& sections);

// Lines as read (the byte order mark removed). Consecutive rows with the same name and
// chainage form one section; a section without points cannot be written in this format.
SectionsRead ReadCsv(const std::vector<std::string>& lines, const std::string& path);

}  // namespace velorin::sectionfile
