// The road left/right layout of the loaded sections: per section the centre elevation,
// then the points left and right of the centre, each side measured outwards from it.
#pragma once

#include <string>
#include <vector>

#include "store/working_store.h"

namespace velorin::sectionfile {

// "x.dm" -> "x（左右）.Txt" (the read file's path less its last three characters); an
// exchange file x.hdm, x.xml or x.csv -> "x（左右）.Txt".
std::string LeftRightFileName(const std::string& read_path);

// Whether any point of the store lies left of its centre (a negative chainage).
bool HasLeftSide(store::WorkingStore& store);

// The lines of the left/right file for every section of the store in SIndex order.
std::vector<std::string> LeftRightLines(store::WorkingStore& store);

}  // namespace velorin::sectionfile
