// The services every page and command works with, handed down from start-up: the
// program (settings and store), the user interface, the clock, and the drawing host
// and progress reporting where the program has them.
#pragma once

#include "app/clock.h"
#include "app/module1.h"
#include "app/ui.h"
#include "cad/host.h"

namespace velorin::app {

class Progress;

struct Context {
    Program& program;
    Ui& ui;
    Clock& clock;
    cad::HostConnector* host = nullptr;
    Progress* progress = nullptr;
};

}  // namespace velorin::app
