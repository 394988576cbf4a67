#pragma once
// The simulated unit inside this process, for the global --sim option: the USB bridge, the
// serial port and the TCP link all lead to it through an in-process link.

#include "link/device_link.h"
#include "sim/memory_link.h"
#include "sim/simulated_unit.h"

#include <memory>
#include <thread>

namespace vela::sim {

class InProcessUnit {
public:
    explicit InProcessUnit(SimOptions options = {});
    ~InProcessUnit();
    InProcessUnit(const InProcessUnit&) = delete;
    InProcessUnit& operator=(const InProcessUnit&) = delete;

    SimulatedUnit& unit() { return unit_; }
    std::unique_ptr<ByteChannel> channel(std::string address) { return link_->hostChannel(std::move(address)); }

private:
    SimulatedUnit unit_;
    std::shared_ptr<MemoryLink> link_ = std::make_shared<MemoryLink>();
    std::jthread thread_;
};

// Devices whose channels all lead to `unit`; they keep it alive as long as they exist.
LinkDevices inProcessDevices(std::shared_ptr<InProcessUnit> unit);

}  // namespace vela::sim
