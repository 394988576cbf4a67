#pragma once
// The simulated unit on a pseudo-terminal: the USB and serial channels open the slave path
// as they would the bridge's tty. Closing the slave is the unit's hang-up signal.

#include "sim/sim_endpoint.h"
#include "sim/simulated_unit.h"

#include <thread>

namespace vela::sim {

class PtyEndpoint : public SimEndpoint {
public:
    // Throws std::runtime_error when no pseudo-terminal can be made.
    explicit PtyEndpoint(SimulatedUnit& unit);
    ~PtyEndpoint() override;

    const std::string& path() const { return path_; }
    std::string announcement() const override { return "PTY " + path_; }

private:
    int master_ = -1;
    std::string path_;
    std::jthread thread_;
};

}  // namespace vela::sim
