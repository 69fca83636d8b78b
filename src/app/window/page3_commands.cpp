// The commands of page 3: loading files, the table keys, computing and saving.
#include "app/window/page3.h"

namespace velorin {

void Page3::File2_DblClick() {}

void Page3::ctl1_KeyDown(Key, bool) {}

void Page3::List2_KeyDown(Key, bool) {}

void Page3::Command4_Click() {}

void Page3::Command5_Click() {}

}  // namespace velorin
