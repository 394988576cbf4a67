#pragma once
// A rig of simulated cabinets on loopback: each cabinet has its own unit (memories, model
// code, faults) and its own Ethernet module at its own address, 127.0.0.2, 127.0.0.3, ...,
// where it takes TCP connections on one port shared by all. Discovery goes to one UDP port
// on 127.0.0.1; every module answers it from its own address.

#include "sim/simulated_unit.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vela::sim {

struct RigCabinet {
    SimOptions unit;    // this cabinet's memories, model code and faults
    std::string model;  // the loudspeaker model its module reports in discovery
};

// How a PC reaches one cabinet, as its module's discovery reply and TCP port tell it.
struct RigAddress {
    std::string hostName;  // CAB01, CAB02, ...
    std::string ip;        // 127.0.0.2, 127.0.0.3, ...
    std::string deviceId;  // RIG001, RIG002, ...
    std::uint16_t tcpPort = 0;
};

inline constexpr int kMostRigCabinets = 253;  // 127.0.0.2 .. 127.0.0.254
inline constexpr const char* kRigDiscoveryAddress = "127.0.0.1";

class SimulatedRig {
public:
    // Port 0 takes a free port (the TCP one the same for every cabinet). Throws
    // std::invalid_argument for no cabinets or more than kMostRigCabinets, and
    // std::runtime_error when a port cannot be taken.
    explicit SimulatedRig(std::vector<RigCabinet> cabinets, std::uint16_t tcpPort = 0, std::uint16_t udpPort = 0,
                          std::function<void(const std::string&)> log = {});
    ~SimulatedRig();
    SimulatedRig(const SimulatedRig&) = delete;
    SimulatedRig& operator=(const SimulatedRig&) = delete;

    std::size_t size() const;
    // Discovery goes to kRigDiscoveryAddress at this port.
    std::uint16_t udpPort() const;
    std::uint16_t tcpPort() const;
    const std::vector<RigAddress>& addresses() const { return addresses_; }
    SimulatedUnit& unit(std::size_t cabinet);
    // The lines velaupdate sim prints: the discovery port, then one per cabinet.
    std::vector<std::string> announcements() const;

private:
    struct Cabinet;
    class DiscoveryRelay;

    std::vector<RigAddress> addresses_;
    std::vector<std::unique_ptr<Cabinet>> cabinets_;
    std::unique_ptr<DiscoveryRelay> relay_;
};

}  // namespace vela::sim
