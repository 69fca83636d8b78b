// The commands of page 7: loading a section data file, its plots and its export.
#include "app/window/page7.h"

namespace velorin {

void Page7::File4_DblClick() {}

void Page7::Command23_Click() {}

void Page7::Command24_Click() {}

void Page7::Command25_Click() {}

}  // namespace velorin
