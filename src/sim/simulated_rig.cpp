#include "sim/simulated_rig.h"

#include "sim/loopback_address.h"
#include "sim/tcp_endpoint.h"
#include "sim/udp_module_endpoint.h"

#include <cstdio>
#include <mutex>
#include <optional>
#include <stdexcept>

namespace vela::sim {
namespace {

std::string numbered(const char* format, std::size_t n) {
    char text[16];
    std::snprintf(text, sizeof text, format, static_cast<unsigned>(n));
    return text;
}

}  // namespace

struct SimulatedRig::Cabinet {
    explicit Cabinet(SimOptions options) : unit(std::move(options)) {}
    SimulatedUnit unit;
    std::unique_ptr<UdpModuleEndpoint> module;
    std::unique_ptr<TcpEndpoint> tcp;
};

// The one discovery port: a request that reaches it is answered by every module, each from
// its own address, as modules on one network all hear a broadcast.
class SimulatedRig::DiscoveryRelay {
public:
    explicit DiscoveryRelay(std::uint16_t port) {
        port_ = thread_.start<std::uint16_t>([this, port](std::stop_token stop, std::promise<std::uint16_t>& ready) {
            std::optional<LoopbackUdpSocket> socket;
            try {
                socket.emplace(port, kRigDiscoveryAddress);
            } catch (...) {
                ready.set_exception(std::current_exception());
                return;
            }
            ready.set_value(socket->port());
            while (!stop.stop_requested()) {
                const auto request = socket->receive(std::chrono::milliseconds(50));
                if (!request) continue;
                const std::lock_guard lock(mutex_);
                for (auto* m : modules_) m->answer(*request);
            }
        });
    }

    std::uint16_t port() const { return port_; }

    // Requests that came before are not answered: no module was there to hear them.
    void start(std::vector<UdpModuleEndpoint*> modules) {
        const std::lock_guard lock(mutex_);
        modules_ = std::move(modules);
    }

private:
    std::uint16_t port_ = 0;
    std::mutex mutex_;
    std::vector<UdpModuleEndpoint*> modules_;
    EndpointThread thread_;
};

SimulatedRig::SimulatedRig(std::vector<RigCabinet> cabinets, std::uint16_t tcpPort, std::uint16_t udpPort,
                           std::function<void(const std::string&)> log) {
    if (cabinets.empty() || cabinets.size() > static_cast<std::size_t>(kMostRigCabinets))
        throw std::invalid_argument("a rig has 1 to " + std::to_string(kMostRigCabinets) + " cabinets");
    relay_ = std::make_unique<DiscoveryRelay>(udpPort);
    std::vector<UdpModuleEndpoint*> modules;
    for (std::size_t k = 0; k < cabinets.size(); ++k) {
        RigAddress address{numbered("CAB%02u", k + 1), loopbackHost(static_cast<int>(k) + 1),
                           numbered("RIG%03u", k + 1), tcpPort};
        auto cabinet = std::make_unique<Cabinet>(std::move(cabinets[k].unit));
        SimulatedModule module{address.deviceId, cabinets[k].model, address.hostName, address.ip};
        cabinet->module = std::make_unique<UdpModuleEndpoint>(std::vector{module}, relay_->port(), log, address.ip);
        cabinet->tcp = std::make_unique<TcpEndpoint>(cabinet->unit, tcpPort, address.ip);
        // The first cabinet's free port serves them all, as every real module listens on one.
        tcpPort = cabinet->tcp->port();
        address.tcpPort = tcpPort;
        modules.push_back(cabinet->module.get());
        addresses_.push_back(std::move(address));
        cabinets_.push_back(std::move(cabinet));
    }
    relay_->start(std::move(modules));
}

SimulatedRig::~SimulatedRig() {
    // The relay answers through the cabinets' modules: it stops first.
    relay_.reset();
}

std::size_t SimulatedRig::size() const { return cabinets_.size(); }
std::uint16_t SimulatedRig::udpPort() const { return relay_->port(); }
std::uint16_t SimulatedRig::tcpPort() const { return addresses_.front().tcpPort; }
SimulatedUnit& SimulatedRig::unit(std::size_t cabinet) { return cabinets_.at(cabinet)->unit; }

std::vector<std::string> SimulatedRig::announcements() const {
    std::vector<std::string> lines{"UDP " + std::string(kRigDiscoveryAddress) + ":" + std::to_string(udpPort()) +
                                   " (discovery of " + std::to_string(size()) + " cabinets)"};
    for (std::size_t k = 0; k < cabinets_.size(); ++k) {
        const auto& a = addresses_[k];
        // modules() gives a copy: keep the model text, not a reference into it.
        const std::string model = cabinets_[k]->module->modules().front().model;
        lines.push_back("TCP " + a.ip + ":" + std::to_string(a.tcpPort) + " (" + a.hostName + ", " + a.deviceId +
                        ", model code " + std::to_string(cabinets_[k]->unit.options().modelCode) +
                        (model.empty() ? "" : ", module reports " + model) + ")");
    }
    return lines;
}

}  // namespace vela::sim
