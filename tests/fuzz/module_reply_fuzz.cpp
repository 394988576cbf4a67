// Fuzzes the Ethernet module's UDP replies through a whole scan of the module window: the
// input is a run of datagrams, each a length byte and its bytes, from 127.0.0.x. Every module
// found is then chosen, and the rest of the datagrams answer a change of its address and name.
// Nothing leaves the process: the endpoint only replays the input.
#include "ethernet/ethernet_module_window.h"
#include "silent_ui.h"

#include <deque>

using namespace vela;

namespace {

class ReplayEndpoint : public DatagramEndpoint {
public:
    std::deque<Datagram> pending;
    bool send(const std::string&, std::uint16_t, std::span<const std::uint8_t>) override { return true; }
    std::optional<Datagram> receive(std::chrono::milliseconds) override {
        if (pending.empty()) return std::nullopt;
        Datagram d = std::move(pending.front());
        pending.pop_front();
        return d;
    }
};

class FixedHost : public LocalHost {
public:
    std::string hostName() override { return "fuzz"; }
    std::optional<std::string> addressOf(const std::string&) override { return "127.0.0.1"; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ReplayEndpoint udp;
    for (std::size_t at = 0; at < size;) {
        const std::size_t n = std::min<std::size_t>(data[at], size - at - 1);
        udp.pending.push_back({"127.0.0." + std::to_string(data[at] % 8 + 1), kModuleUdpPort,
                               std::vector<std::uint8_t>(data + at + 1, data + at + 1 + n)});
        at += n + 1;
    }
    fuzz::SilentUi ui;
    SessionState session;
    DeviceLink link{session, ui, {}};
    EthernetModuleState state;
    FixedHost host;
    EthernetModuleSettings settings;
    settings.broadcast = "127.0.0.255";
    settings.scanTime = std::chrono::milliseconds(0);
    settings.answerTime = std::chrono::milliseconds(0);
    settings.rescanAfterChange = false;
    EthernetModuleWindow window(state, ui, link, udp, host, settings);
    window.chooseModel("M09");
    const int found = state.table.DeviceCount();
    if (found < 0 || found > static_cast<int>(kDeviceTableSize)) std::abort();
    for (int i = 0; i < found; ++i) {
        window.chooseListedModule(i);
        window.changeIp();
        window.changeHostName();
    }
    for (int i = found; i > 0; --i) window.forgetListedModule(i - 1);
    return 0;
}
