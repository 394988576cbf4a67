#include "core/runtime_directory.h"

#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace vela {

void provideRuntimeDirectory() {
    if (const char* set = std::getenv("XDG_RUNTIME_DIR"); set && *set) return;
    const char* tmp = std::getenv("TMPDIR");
    std::string dir = tmp && *tmp ? tmp : "/tmp";
    if (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    dir += "/runtime-" + std::to_string(::getuid());
    ::mkdir(dir.c_str(), 0700);
    // Only a directory that is ours and closed to everybody else will do.
    struct stat st {};
    if (::lstat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() && (st.st_mode & 0777) == 0700)
        ::setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
}

}  // namespace vela
