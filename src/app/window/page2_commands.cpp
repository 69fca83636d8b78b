// The commands of page 2: converting a raw file and saving the survey file.
#include "app/window/page2.h"

namespace velorin {

void Page2::File1_DblClick() {}

void Page2::Command2_Click() {}

}  // namespace velorin
