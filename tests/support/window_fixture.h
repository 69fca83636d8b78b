// A loaded Form1 over a scratch program folder, with a recording Ui and a fixed clock:
// what the window tests click on.
#pragma once

#include <memory>

#include "support/recording_ui.h"
#include "support/testing.h"
#include "window/form1.h"

namespace velorin::testing {

class WindowFixture {
  public:
    WindowFixture() : clock("2024-5-6 14:03:22") {
        program.ProgramDir = dir.path();
        program.settings = app::Settings::Defaults(dir.path());
    }
    // Loads the window (tab 1 chosen), as start-up does after the settings are read.
    window::Form1& Load() {
        form = std::make_unique<window::Form1>(context);
        // The sheet choice is kept in the scratch folder, never in the user's own.
        form->page5.Sheets.settings_path = dir.File("sheets.ini");
        form->page6.Sheets.settings_path = dir.File("sheets.ini");
        form->page7.Sheets.settings_path = dir.File("sheets.ini");
        form->Form_Load();
        return *form;
    }
    app::Settings& settings() { return program.settings; }

    TempDir dir;
    app::Program program;
    RecordingUi ui;
    app::FixedClock clock;
    app::Context context{program, ui, clock};
    std::unique_ptr<window::Form1> form;
};

}  // namespace velorin::testing
