#pragma once
// Starts the downloaded updater as a program of its own, detached from this one.

#include "update/update_check.h"

namespace vela {

class QtUpdaterLauncher : public UpdaterLauncher {
public:
    bool start(const std::string& program, const std::string& workingDirectory) override;
};

}  // namespace vela
