#pragma once
// One way the simulated unit is reached (a pseudo-terminal, a TCP port, ...): each endpoint
// serves the unit on its own thread from construction until destruction.

#include <string>

namespace vela::sim {

class SimEndpoint {
public:
    virtual ~SimEndpoint() = default;
    // The line the sim command prints for it, e.g. "PTY /dev/pts/4".
    virtual std::string announcement() const = 0;
};

}  // namespace vela::sim
