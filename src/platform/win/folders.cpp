#include "platform/folders.h"

#include <cstdlib>
#include <system_error>

namespace vela::platform {

namespace fs = std::filesystem;

fs::path stateFolder() {
    const wchar_t* local = ::_wgetenv(L"LOCALAPPDATA");
    return local && *local ? fs::path(local) / L"VELAupdate" : fs::path();
}

fs::path backupFolder() {
    const fs::path state = stateFolder();
    return state.empty() ? state : state / L"backups";
}

const char* stateFolderVariables() { return "LOCALAPPDATA"; }

// The settings are Qt's user-scope INI file, which lives under the roaming application data.
const FolderNames& folderNames() {
    static const FolderNames names{"%LOCALAPPDATA%\\VELAupdate", "%LOCALAPPDATA%\\VELAupdate\\backups",
                                   "%APPDATA%\\velaupdate\\velaupdate.ini"};
    return names;
}

// GetTempPathW ends the folder in a separator; the folder is the same without it.
fs::path temporaryFolder() {
    std::error_code ec;
    fs::path dir = fs::temp_directory_path(ec);
    if (ec || dir.empty()) return fs::current_path(ec);
    if (!dir.has_filename() && dir.has_relative_path()) dir = dir.parent_path();
    return dir;
}

void provideRuntimeDirectory() {}

}  // namespace vela::platform
