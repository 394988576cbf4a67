#pragma once
// Starts the downloaded updater as a program of its own, detached from this one (Windows only),
// through the shell's "open", so that an updater that needs administrator rights can ask for
// them (a plain process start refuses it).

#include "update/update_check.h"

namespace vela {

class DetachedUpdaterLauncher : public UpdaterLauncher {
public:
    bool start(const std::string& program, const std::string& workingDirectory) override;
};

}  // namespace vela
