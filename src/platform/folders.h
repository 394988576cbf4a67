#pragma once
// The folders the program keeps its things in, where each system expects them.

#include <filesystem>

namespace vela::platform {

// The run logs' and backups' home: %LOCALAPPDATA%\VELAupdate on Windows; on Linux
// $XDG_STATE_HOME/velaupdate (an absolute one), else ~/.local/state/velaupdate. Empty when the
// environment names no such place.
std::filesystem::path stateFolder();
// "backups" in the state folder; empty when that is unknown.
std::filesystem::path backupFolder();
// The variables stateFolder() comes from, for a message that none is known: "XDG_STATE_HOME or HOME".
const char* stateFolderVariables();
// The state folder, the backups folder and the settings file as the help names them for a user
// of this system, with the variables they come from.
struct FolderNames {
    const char* state;
    const char* backups;
    const char* settings;
};
const FolderNames& folderNames();
// The system's folder for temporary files (TMPDIR, %TEMP%), never empty.
std::filesystem::path temporaryFolder();

// Qt wants a per-user runtime folder for anything that draws. Started without a desktop session
// (a service bench over ssh, sudo, a script) XDG_RUNTIME_DIR is unset on Linux, and Qt then uses
// one under the temporary folder with a warning on every run. When it is unset this sets it to a
// private folder there, made if need be, provided it is this user's alone; call it before the
// application object. Windows has no such folder: nothing to do.
void provideRuntimeDirectory();

}  // namespace vela::platform
