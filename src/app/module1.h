// Start-up and exit of the program: fixes the program folder, gives the settings their
// defaults and reads Velorin.ini, opens the working store with its standing record
// sets; at exit writes the settings back.
#pragma once

#include <memory>
#include <string>

#include "app/settings.h"
#include "app/ui.h"
#include "store/working_store.h"

namespace velorin::app {

struct Program {
    std::string ProgramDir;  // with its trailing separator
    Settings settings;
    std::unique_ptr<store::WorkingStore> store;
};

inline constexpr const char* kSettingsFileName = "Velorin.ini";
inline constexpr const char* kStoreFileName = "Velorin.mdb";

// The start-up routine. Returns nothing when the program must stop; the user has then
// been told why (missing or unusable store).
std::unique_ptr<Program> Startup(const std::string& program_dir, Ui& ui);

// Ends the program: first asks the user interface whether it may (unsaved drawings), then
// writes Velorin.ini from the current settings. A failed write is shown to the user, who
// loses only this run's edits; the program ends either way. Returns false when the user
// cancelled: nothing was written and the program goes on.
bool ExitSystem(const Program& program, Ui& ui);

}  // namespace velorin::app
