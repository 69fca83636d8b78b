// The commands of page 6: centre points, valid range, batch sections and the line tools.
#include "app/window/page6.h"

namespace velorin {

void Page6::Command16_Click() {}

void Page6::Command17_Click() {}

void Page6::Command18_Click() {}

void Page6::Command19_Click() {}

void Page6::Command20_Click() {}

}  // namespace velorin
