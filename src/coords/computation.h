// The coordinate computation behind "计算": orients each set-up on its backsight, computes
// every foresight by the polar method, checks observed known points, flags long
// foresights, and writes the running report of the message list.
#pragma once

#include <string>
#include <vector>

#include "coords/tables.h"

namespace velorin::coords {

enum class ObservationMode {
    Automatic,       // "自动": decided per line by value 2
    DistanceHeight,  // "平距高差": horizontal distance and height difference
    SlopeVertical,   // "斜距垂直角": slope distance and zenith angle
};

// ddd.mmss to radians, with the program's value of pi.
double AngleToRadians(double ddd_mmss);

struct Computation {
    std::vector<std::string> report;    // the message list, in order
    std::vector<PageMessage> messages;  // message boxes, in the order they arose
    bool stopped = false;               // ended early: undecided mode or arithmetic failure
};

// Empties `results` and computes into it. The control table gains the "支" rows of
// stations and backsights found among the results. An empty observation list computes
// nothing and leaves an empty report. The result path is set only when the run ends.
Computation ComputeCoordinates(const ObservationList& observations, ControlTable& control,
                               ResultTable& results, ObservationMode mode);

}  // namespace velorin::coords
