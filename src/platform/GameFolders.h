// Where the game's files are. Run from a build, the working directory is the game folder and
// every name is relative to it, as always. Installed (the share folder sits beside the
// executable's folder), the shipped files come from that share folder, the files a user adds
// from $XDG_DATA_HOME/brumevoltigeante and the settings live in $XDG_CONFIG_HOME/brumevoltigeante,
// whatever the working directory holds.
#pragma once
#include <cstddef>
#include <cstdint>

namespace platform {

// Decides once, at start-up, before any file is read and any thread starts.
void findGameFolders();

// The path that opens data file `name` (backslashes allowed). Installed, a relative name is
// looked up in the shipped folder, then in the user's; when neither holds it, the shipped
// path (whose open then fails). Otherwise `name` itself, with '/' for '\'.
void findDataFile(const char* name, char* out, size_t outSize);

// The user's own file `name` (its lists of added maps); 1 when not installed.
int32_t findUserFile(const char* name, char* out, size_t outSize);

// Where the settings file `name` lives; installed, its folder is created when missing.
void findSettingsFile(const char* name, char* out, size_t outSize);

} // namespace platform
