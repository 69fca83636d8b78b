// The commands of page 4: preview and point plotting.
#include "app/window/page4.h"

namespace velorin {

void Page4::Command8_Click() {}

void Page4::Command9_Click() {}

}  // namespace velorin
