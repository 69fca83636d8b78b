// The chainage (里程) of a section in metres: read from its name ("K1+234.5"), or given
// by a start chainage and a spacing, never guessed.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/status.h"
#include "sectionfile/section_file.h"

namespace velorin::sectionfile {

// A section with its chainage, as the exchange formats need it.
struct PlacedSection {
    Section section;
    double chainage = 0;
};

// "K1+234.5", "1+234.5", "ZK0+020" -> 1234.5, 1234.5, 20. Letters are allowed only before
// a "K"; the metres part is below 1000. Anything else does not read as a chainage.
std::optional<double> ChainageFromName(const std::string& name);

// The name a section read from a chainage-only format gets: 1234.5 -> "K1+234.5",
// 20 -> "K0+020" (to the millimetre, no trailing zeros after the point).
std::string NameOfChainage(double chainage);

// The chainage each section gets: every name read as a chainage; otherwise start +
// i * spacing for the i-th section when both are given; otherwise an error naming the
// first section whose name does not read as one.
struct Placement {
    Status status;
    std::vector<PlacedSection> sections;
};
Placement PlaceSections(const std::vector<Section>& sections, std::optional<double> start,
                        std::optional<double> spacing);

// The start and spacing fields as the user typed them (both empty: not given). The
// start may be written as a chainage ("K0+100") or in metres.
struct ChainageFields {
    Status status;
    std::optional<double> start, spacing;
};
ChainageFields ReadChainageFields(const std::string& start, const std::string& spacing);

// Sections read from an exchange file, or why the file was refused (nothing is read then).
struct SectionsRead {
    Status status;
    std::vector<PlacedSection> sections;
};

// "文件“PATH”第N行：CAUSE" (N counted from 1).
Status LineError(const std::string& path, size_t line_index, const std::string& cause);
// Nothing read: the file refused with LineError.
SectionsRead Refused(const std::string& path, size_t line_index, const std::string& cause);

// Millimetres as a whole number, so written files and the values read back agree exactly.
long long Millimetres(double metres);
std::string Metres(long long millimetres);  // "#0.000"

}  // namespace velorin::sectionfile
