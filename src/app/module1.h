// Start-up and exit of the program: fixes the program folder, gives the settings their
// defaults and reads Velorin.ini, opens the working store with its standing record
// sets; at exit writes the settings back.
//
// Both files lie in the program folder. Where that folder cannot be written (installed,
// owned by root), each user works on own copies in the per-user data and configuration
// folders instead (see app/user_copies.h), so an ordinary user can run the program.
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
    // The settings file ExitSystem writes and the store in use: the program folder's, or
    // the user's own copies when that folder cannot be written.
    std::string SettingsPath;
    std::string StorePath;
};

inline constexpr const char* kSettingsFileName = "Velorin.ini";
inline constexpr const char* kStoreFileName = "Velorin.mdb";

// The start-up routine. Returns nothing when the program must stop; the user has then
// been told why (missing or unusable store, no place for the user's own copies). Tells
// the user once, when their copy of the store is made, where their copies lie.
std::unique_ptr<Program> Startup(const std::string& program_dir, Ui& ui);

// Ends the program: first asks the user interface whether it may (unsaved drawings), then
// writes the settings file from the current settings. A failed write is shown to the user,
// who loses only this run's edits; the program ends either way. Returns false when the
// user cancelled: nothing was written and the program goes on.
bool ExitSystem(const Program& program, Ui& ui);

// Ends a command's writes to the store: true when all of them were saved; otherwise the
// user is shown which store file failed and why, under `title`.
bool CommitStore(const Program& program, Ui& ui, std::string_view title);

}  // namespace velorin::app
