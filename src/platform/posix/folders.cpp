#include "platform/folders.h"

#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace vela::platform {

namespace fs = std::filesystem;

fs::path stateFolder() {
    if (const char* state = std::getenv("XDG_STATE_HOME"); state && *state == '/') return fs::path(state) / "velaupdate";
    if (const char* home = std::getenv("HOME"); home && *home) return fs::path(home) / ".local" / "state" / "velaupdate";
    return {};
}

fs::path backupFolder() {
    const fs::path state = stateFolder();
    return state.empty() ? state : state / "backups";
}

const char* stateFolderVariables() { return "XDG_STATE_HOME or HOME"; }

const FolderNames& folderNames() {
    static const FolderNames names{"$XDG_STATE_HOME/velaupdate (~/.local/state/velaupdate)",
                                   "$XDG_STATE_HOME/velaupdate/backups, ~/.local/state/velaupdate/backups",
                                   "~/.config/velaupdate/velaupdate.ini"};
    return names;
}

fs::path temporaryFolder() {
    std::error_code ec;
    const fs::path dir = fs::temp_directory_path(ec);
    return ec || dir.empty() ? fs::path("/tmp") : dir;
}

void provideRuntimeDirectory() {
    if (const char* set = std::getenv("XDG_RUNTIME_DIR"); set && *set) return;
    const std::string dir = (temporaryFolder() / ("runtime-" + std::to_string(::getuid()))).string();
    ::mkdir(dir.c_str(), 0700);
    // Only a directory that is ours and closed to everybody else will do.
    struct stat st {};
    if (::lstat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() && (st.st_mode & 0777) == 0700)
        ::setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
}

}  // namespace vela::platform
