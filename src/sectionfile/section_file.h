// Section data files (.dm): the standard format every writer produces, the lenient
// compatible format the reader accepts (increments with "@", sections without header),
// and the file names and folder of each producer.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "app/settings.h"
#include "base/status.h"
#include "store/working_store.h"

namespace velorin::sectionfile {

struct SectionPoint {
    double chainage = 0;   // Slen
    double elevation = 0;  // High
};

struct Section {
    std::string number;
    std::vector<SectionPoint> points;  // in the order they are written
};

// The standard format: comment lines, then per section an empty line, "Dmh," + number
// and "chainage,elevation" lines in "#0.000". GBK, CR LF, replacing any earlier file.
std::vector<std::string> SectionFileLines(const std::vector<std::string>& comments,
                                          const std::vector<Section>& sections);
Status WriteSectionFile(const std::string& path, const std::vector<std::string>& comments,
                        const std::vector<Section>& sections);

// Reads the lines of a loaded file (the page's list) into the store: empties Line, Cross
// and Point and refills Cross and Point. Faulty lines are marked in place with
// "; 错误 " + the line. Returns false at the first point line with a bad number; the
// rows appended before it stay.
bool ReadSectionFile(std::vector<std::string>& lines, store::WorkingStore& store);

// Puts sections read elsewhere into the store as ReadSectionFile would: empties Line,
// Cross and Point, then one Cross row per section in the given order and its points.
void StoreSections(const std::vector<Section>& sections, store::WorkingStore& store);

// Every section of the store in SIndex order with its points by chainage.
std::vector<Section> SectionsOfStore(store::WorkingStore& store);

// The folder "断面数据" in MainDir, made when missing. Appends the separator to MainDir
// first when it lacks one (the setting itself changes, as users' files expect).
std::string PrepareSectionDataFolder(app::Settings& settings, Status* status = nullptr);

// Producers' file names and comment lines.
std::string SingleSectionFileName(const std::string& section);                 // 断1.dm
std::string SingleProfileFileName(const std::string& section);                 // 纵_断1.dm
std::string BatchFileName(const std::string& first, const std::string& last);  // 断1～断9.dm
// x.dm -> x（标）.dm; an exchange file loaded instead (x.hdm, x.xml, x.csv) -> x（标）.dm too.
std::string NormalisedFileName(const std::string& read_path);
std::vector<std::string> SingleSectionComments();
std::vector<std::string> SingleProfileComments(double kilometres, double metres);
std::vector<std::string> BatchComments(const std::string& first, const std::string& last);

}  // namespace velorin::sectionfile
