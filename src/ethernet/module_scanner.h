#pragma once
// Discovery apart from any window or session: the discover datagram goes to the given
// addresses and every module that answers in time is kept, whatever model it reports. The
// Ethernet module window scans through it, and so does the whole-rig scan.

#include "ethernet/datagram_endpoint.h"
#include "ethernet/em100_datagrams.h"

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vela {

// One module that answered, and the TCP port its link is expected on (the reply does not
// say: every module listens on the one port the PC is told).
struct FoundModule {
    EthernetDevice device;
    std::uint16_t tcpPort = 0;
};

class ModuleScanner {
public:
    ModuleScanner(DatagramEndpoint& udp, std::uint16_t udpPort) : udp_(udp), udpPort_(udpPort) {}

    // Every datagram as it arrives, before it is parsed.
    std::function<void(const Datagram&)> onDatagram;

    // Sends the discover datagram to every target; false when any could not be sent.
    bool start(const std::vector<std::string>& targets);
    // Takes the replies that come within `duration`, and those already pending.
    void collect(std::chrono::milliseconds duration);
    // Every discovery reply so far, in the order they came; a module that answered twice is
    // there twice.
    const std::vector<EthernetDevice>& found() const { return found_; }

private:
    bool take(std::chrono::milliseconds timeout);

    DatagramEndpoint& udp_;
    std::uint16_t udpPort_;
    std::vector<EthernetDevice> found_;
};

struct ScanSettings {
    std::vector<std::string> targets;  // where the discover datagram goes
    std::uint16_t udpPort = kModuleUdpPort;
    std::uint16_t tcpPort = 0;  // what each found module is reached on
    std::chrono::milliseconds time{3000};
};

// A whole scan: sends, waits settings.time, returns every module that answered; the same
// module answering twice (from one address with one device id) is kept once. nullopt when
// the discover datagram could not be sent anywhere.
std::optional<std::vector<FoundModule>> scanModules(DatagramEndpoint& udp, const ScanSettings& settings);

// Where a scan sends when no address is given: the broadcast address of every interface
// that is up, else the PC's own address with its last number 255. Empty when none is found;
// `why` then says why.
std::vector<std::string> defaultScanTargets(LocalHost& host, std::string& why);

}  // namespace vela
