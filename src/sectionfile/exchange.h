// The exchange formats of sections for road-design, survey and spreadsheet programs:
// which files each writes beside the loaded file, and reading any of them by its
// content.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/status.h"
#include "sectionfile/chainage.h"

namespace velorin::sectionfile {

enum class ExchangeFormat { CassHdm, HintCad, LandXml, Csv };
inline constexpr ExchangeFormat kExchangeFormats[] = {
    ExchangeFormat::CassHdm, ExchangeFormat::HintCad, ExchangeFormat::LandXml, ExchangeFormat::Csv};

// "hdm", "hintcad", "landxml", "csv" as velorin-batch takes them.
std::optional<ExchangeFormat> ExchangeFormatNamed(const std::string& name);
std::string ExchangeFormatName(ExchangeFormat format);

// Whether the path names an exchange file (.hdm, .xml, .csv, any letter case) rather
// than a section data file.
bool IsExchangeFile(const std::string& path);

// The loaded file's path less its extension: less ".hdm"/".xml"/".csv", otherwise less
// its last three characters as the names of the section data file's exports are made.
std::string ExportStem(const std::string& read_path);

// The files a format writes for the loaded file: "x.hdm"; "x.HDM" and "x.DMX"; "x.xml";
// "x.csv".
std::vector<std::string> ExchangeFileNames(const std::string& read_path, ExchangeFormat format);

// Whether the sections can be written in the format: the road-design file needs a centre
// point in every section and chainages that do not go backwards; a table row needs a point.
Status CheckExchangeFit(ExchangeFormat format, const std::vector<PlacedSection>& sections);

// The survey package's "x.hdm" and the road-design package's "x.HDM" are one file where
// names ignore letter case (Windows): both at once is refused there, naming the files.
Status CheckExchangeNames(const std::string& read_path, const std::vector<ExchangeFormat>& formats);

// Writes the format's files, each replaced atomically. `now` is the clock's
// "YYYY-M-D hh:mm:ss", stamped into LandXML. Nothing is written when the sections
// do not fit the format.
Status WriteExchangeFiles(const std::string& read_path, ExchangeFormat format,
                          const std::vector<PlacedSection>& sections, const std::string& now);

// A .hdm (the road-design package's when its first line says so, with the .DMX beside
// it; the survey package's otherwise), a LandXML .xml or a .csv, with its lines for
// display. On any fault `status` names the file and line, and no section is given.
struct ExchangeRead {
    SectionsRead read;
    std::vector<std::string> lines;  // the file as read
};
ExchangeRead ReadExchangeFile(const std::string& path);

}  // namespace velorin::sectionfile
