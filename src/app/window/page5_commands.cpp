// The commands of page 5: centre points, the section line and its two plots.
#include "app/window/page5.h"

namespace velorin {

void Page5::Command11_Click() {}

void Page5::Command12_Click() {}

void Page5::Command13_Click() {}

void Page5::Command14_Click() {}

}  // namespace velorin
