#include "update/detached_updater_launcher.h"

#include <QString>

#include <windows.h>
#include <shellapi.h>

namespace vela {

bool DetachedUpdaterLauncher::start(const std::string& program, const std::string& workingDirectory) {
    const std::wstring file = QString::fromStdString(program).toStdWString();
    const std::wstring folder = QString::fromStdString(workingDirectory).toStdWString();
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    // Returns once the program is started (or the elevation prompt answered), not before.
    info.fMask = SEE_MASK_NOASYNC;
    info.lpVerb = L"open";
    info.lpFile = file.c_str();
    info.lpDirectory = folder.c_str();
    info.nShow = SW_SHOWNORMAL;
    return ShellExecuteExW(&info);
}

}  // namespace vela
