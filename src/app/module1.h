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

// Writes Velorin.ini from the current settings. A failure is shown to the user, who
// loses only this run's edits; the program ends either way.
void ExitSystem(const Program& program, Ui& ui);

// Ends a command's writes to the store: true when all of them were saved; otherwise the
// user is shown which store file failed and why, under `title`.
bool CommitStore(const Program& program, Ui& ui, std::string_view title);

}  // namespace velorin::app
