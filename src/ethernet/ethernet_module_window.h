#pragma once
// The procedures of the Ethernet module window: scan for modules of the chosen model, pick
// one, change its IP address or host name, make it blink, and connect the TCP link to it.
// The window's state lives in the session; a front end shows it and calls these handlers.

#include "core/user_interface.h"
#include "ethernet/datagram_endpoint.h"
#include "ethernet/em100_datagrams.h"
#include "ethernet/ethernet_module_state.h"
#include "link/device_link.h"

#include <chrono>
#include <functional>
#include <optional>

namespace vela {

namespace em100_timing {
using std::chrono::milliseconds;
inline constexpr milliseconds kScanTimer{3000};    // TimerScan: the length of a scan
inline constexpr milliseconds kChangeAnswer{3000};  // longest wait for a change-IP or host-name answer
inline constexpr milliseconds kPumpSlice{20};      // longest wait between two message pumps
}  // namespace em100_timing

struct EthernetModuleSettings {
    std::uint16_t udpPort = kModuleUdpPort;
    std::uint16_t tcpPort = kEthernetTcpPort;
    // When set, the address every scan and change-IP request goes to, instead of the broadcast
    // address of each network interface.
    std::optional<std::string> broadcast;
    std::chrono::milliseconds scanTime = em100_timing::kScanTimer;
    std::chrono::milliseconds answerTime = em100_timing::kChangeAnswer;
    // Change IP and change host name end with a new scan.
    bool rescanAfterChange = true;
};

enum class ChangeResult { Changed, Refused, NoAnswer };

class EthernetModuleWindow {
public:
    EthernetModuleWindow(EthernetModuleState& state, UserInterface& ui, DeviceLink& link, DatagramEndpoint& udp,
                         LocalHost& host, EthernetModuleSettings settings = {});

    // The probe exchange over the TCP link; true on success. SendProgram with ProbeCommand
    // unless replaced.
    std::function<bool()> probe;
    // The library window's model list: a model chosen here selects that model's row there,
    // without opening it; a successful connect then runs the list's change action, which
    // opens the library. The session binds both (bindLibraryWindow).
    std::function<void(const std::string& model)> selectLibraryModel;
    std::function<void()> libraryModelChanged;
    // Closes the window once connected.
    std::function<void()> closeWindow;

    void chooseModel(const std::string& model);
    void scan();
    void takeReply(const Datagram& datagram);
    void endScan();
    void chooseListedModule(int index);
    // Delete or Backspace on an IPList entry: asks, then removes it from IPList only.
    void forgetListedModule(int index);
    ChangeResult changeIp();
    ChangeResult changeHostName();
    // False when the datagram could not be sent.
    bool identify();
    bool connectToModule();

    // Picks a module known by other means (the command line), as a click on it would.
    void chooseModule(const EthernetDevice& device);
    // BroadcastAddresses from the setting, else from the network interfaces that are up, else
    // from the PC's address; false when none gives one (the previous ones stay).
    bool findBroadcastAddress();

private:
    // Takes one datagram, waiting up to timeout; true when one came.
    bool deliver(std::chrono::milliseconds timeout);
    void drainPending();
    // The first byte of the first datagram within answerTime.
    std::optional<std::uint8_t> awaitAnswer();
    // Sends the requests in order, then reports the module's answer with these texts (or that
    // none came) and scans again when the settings say so.
    ChangeResult requestChange(const std::vector<std::pair<std::string, Bytes>>& requests, const std::string& changed,
                               const std::string& failed);
    bool sendTo(const std::string& address, const Bytes& bytes);
    // The addresses of the last successful findBroadcastAddress.
    std::vector<std::string> broadcastTargets() const;
    void hideModuleControls();

    EthernetModuleState& state_;
    EthernetModuleView& view_;
    UserInterface& ui_;
    DeviceLink& link_;
    DatagramEndpoint& udp_;
    LocalHost& host_;
    EthernetModuleSettings settings_;
};

}  // namespace vela
