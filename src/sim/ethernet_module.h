#pragma once
// The simulated unit's Ethernet module, UDP side: answers discovery, change IP and change
// host name, and blinks on identify, for one or more modules behind one UDP port.

#include "ethernet/datagram_endpoint.h"

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace vela::sim {

struct SimulatedModule {
    std::string id;
    std::string model;
    std::string name;
    std::string ip = "127.0.0.1";  // what a change-IP request last set
    bool namePending = false;       // "L" came; "SDN" + name is awaited
    int blinks = 0;
};

class EthernetModuleSim {
public:
    explicit EthernetModuleSim(std::vector<SimulatedModule> modules);

    // "ID,MODEL,NAME" as --module gives it; throws std::invalid_argument when malformed.
    static SimulatedModule parseModuleOption(const std::string& option);

    // The answers to one request, in order. Discovery is answered by every module; change IP
    // by the modules whose id matches; host name and identify by the first module, which owns
    // the address the requests are sent to.
    std::vector<std::vector<std::uint8_t>> handle(std::span<const std::uint8_t> request);
    // Answers the requests that arrive within timeout (the first one waited for, the rest
    // taken while pending); returns how many were handled.
    int serve(DatagramEndpoint& endpoint, std::chrono::milliseconds timeout);

    const std::vector<SimulatedModule>& modules() const { return modules_; }
    // Every request received, in order.
    const std::vector<Datagram>& requests() const { return requests_; }
    // One line per event worth telling (renames, address changes, blinks).
    std::function<void(const std::string&)> log;

private:
    void tell(const std::string& line) const {
        if (log) log(line);
    }

    std::vector<SimulatedModule> modules_;
    std::vector<Datagram> requests_;
};

}  // namespace vela::sim
