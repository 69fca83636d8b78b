// Where a user keeps own copies of the working store and the settings file when the
// program folder cannot be written (an installed program folder belongs to root): the
// per-user data and configuration folders of the desktop (XDG base directories).
#pragma once

#include <functional>
#include <string>

#include "base/status.h"

namespace velorin::app {

// Reads one environment variable; null when it is not set.
using EnvironmentLookup = std::function<const char*(const char*)>;

struct UserFolders {
    std::string home;    // the user's home folder, with its trailing separator
    std::string data;    // $XDG_DATA_HOME/velorin/ or ~/.local/share/velorin/
    std::string config;  // $XDG_CONFIG_HOME/velorin/ or ~/.config/velorin/
};

// The user's folders from the environment. XDG variables that are empty or relative are
// ignored, as the XDG rules say; the home folder comes from HOME, else from the password
// database. Fails, naming the cause, when no home folder is known.
Status FindUserFolders(const EnvironmentLookup& env, UserFolders* folders);
// The same from the process's own environment.
Status FindUserFolders(UserFolders* folders);

// Whether this process may replace `file` in its folder, as the settings file is written
// (a new file beside, then renamed over the old one): the folder must be writable.
bool CanReplaceInPlace(const std::string& file);
// Whether this process may open the store `file` for writing in place: the file and its
// folder (which takes the store's journal files) must be writable.
bool CanWriteStoreInPlace(const std::string& file);

// Copies `from` to `to`, making the folders of `to`; the copy appears whole or not at all.
Status CopyFileMakingFolders(const std::string& from, const std::string& to);

}  // namespace velorin::app
