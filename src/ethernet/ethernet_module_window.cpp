#include "ethernet/ethernet_module_window.h"

#include "ethernet/module_scanner.h"
#include "link/send_program.h"

#include <algorithm>
#include <memory>

namespace vela {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

milliseconds until(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now());
    return std::max(left, milliseconds(0));
}

}  // namespace

EthernetModuleWindow::EthernetModuleWindow(EthernetModuleState& state, UserInterface& ui, DeviceLink& link,
                                           DatagramEndpoint& udp, LocalHost& host, EthernetModuleSettings settings)
    : state_(state), view_(state.view), ui_(ui), link_(link), udp_(udp), host_(host), settings_(std::move(settings)) {
    probe = [this] {
        // The probe carries no program bytes: a blank image serves.
        const auto blank = std::make_unique<ProgramImage>();
        return SendProgram(link_, *blank, Channel::Ethernet, CommandCode::ProbeCommand, 0, 0, false) ==
               ExchangeResult::Success;
    };
}

void EthernetModuleWindow::chooseModel(const std::string& model) {
    view_.modelText = model;
    view_.scanButtonShown = true;
    if (selectLibraryModel) selectLibraryModel(model);
    scan();
}

void EthernetModuleWindow::hideModuleControls() {
    view_.moduleControlsShown = false;
    view_.managementShown = false;
}

bool EthernetModuleWindow::findBroadcastAddress() {
    std::string why;
    const auto found = settings_.broadcast ? std::vector{*settings_.broadcast} : defaultScanTargets(host_, why);
    if (found.empty()) {
        // The previous broadcast addresses stay in use.
        ui_.error(why);
        return false;
    }
    state_.BroadcastAddresses = found;
    state_.BroadcastAddress = found.front();
    return true;
}

std::vector<std::string> EthernetModuleWindow::broadcastTargets() const {
    if (!state_.BroadcastAddresses.empty()) return state_.BroadcastAddresses;
    if (!state_.BroadcastAddress.empty()) return {state_.BroadcastAddress};
    return {};
}

void EthernetModuleWindow::scan() {
    const auto start = Clock::now();
    state_.scanning = true;
    state_.table.clear();
    view_.ipList.clear();
    view_.deviceListShown = false;
    hideModuleControls();
    view_.scanStatus = "Scaning ...";
    ui_.status(StatusField::ScanStatus, view_.scanStatus);

    findBroadcastAddress();
    ModuleScanner scanner(udp_, settings_.udpPort);
    scanner.onDatagram = [this](const Datagram& d) { takeReply(d); };
    scanner.start(broadcastTargets());

    // The progress runs 5..100 over the timer's length; replies are taken as they come.
    const auto step = std::max(settings_.scanTime / 100 - milliseconds(1), milliseconds(0));
    ui_.gaugeMaximum(Gauge::ScanProgress, 100);
    for (int position = 5; position <= 100; ++position) {
        ui_.gaugePosition(Gauge::ScanProgress, position);
        scanner.collect(step);
        ui_.pump();
    }
    scanner.collect(until(start + settings_.scanTime));
    endScan();
}

void EthernetModuleWindow::takeReply(const Datagram& datagram) {
    const auto n = std::min(datagram.bytes.size(), kReplyDatagramSize);
    state_.replyDatagram.assign(datagram.bytes.begin(), datagram.bytes.begin() + static_cast<std::ptrdiff_t>(n));
    state_.replyReceived = true;
    if (!state_.scanning) return;
    const auto device = parseDiscoveryReply(state_.replyDatagram, datagram.address);
    if (device && device->Model == view_.modelText) state_.table.add(*device);
}

void EthernetModuleWindow::endScan() {
    state_.scanning = false;
    view_.deviceListShown = true;
    view_.processorBox.clear();
    view_.ipList.clear();
    const int count = state_.table.DeviceCount();
    if (count == 0) {
        view_.deviceListShown = false;
        hideModuleControls();
        view_.scanStatus = "No Devices Found";
    } else {
        for (const auto& d : state_.table.devices()) {
            view_.processorBox.push_back(d.Name);
            view_.ipList.push_back(d.Name + "=" + d.IP);
        }
        view_.scanStatus = std::to_string(count) + ".- Devices detected";
    }
    ui_.status(StatusField::ScanStatus, view_.scanStatus);
}

void EthernetModuleWindow::chooseListedModule(int index) {
    if (index < 0 || index >= state_.table.DeviceCount()) return;
    chooseModule(state_.table[static_cast<std::size_t>(index)]);
}

void EthernetModuleWindow::chooseModule(const EthernetDevice& device) {
    state_.chosen = device;
    view_.moduleControlsShown = true;
    view_.managementShown = true;
    view_.chosenIp = device.IP;
    // Split at the dots into the four address edits; missing parts stay empty.
    view_.ip = {};
    std::size_t field = 0;
    for (const char c : device.IP) {
        if (c == '.') {
            if (++field == view_.ip.size()) break;
        } else {
            view_.ip[field] += c;
        }
    }
    view_.hostEdit = device.Name;
}

void EthernetModuleWindow::forgetListedModule(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= view_.ipList.size()) return;
    const auto entry = view_.ipList[static_cast<std::size_t>(index)];
    if (ui_.message(MessageKind::Warning, Buttons::OkCancel, "Do you want to Delete: " + entry) == Answer::Ok)
        view_.ipList.erase(view_.ipList.begin() + index);
}

ChangeResult EthernetModuleWindow::changeIp() {
    const std::string address = view_.ip[0] + "." + view_.ip[1] + "." + view_.ip[2] + "." + view_.ip[3];
    const std::string id = state_.chosen ? state_.chosen->DeviceId : std::string();
    // The module may sit on any of the networks: the request goes to each.
    std::vector<std::pair<std::string, Bytes>> requests;
    for (const auto& target : broadcastTargets()) requests.emplace_back(target, changeIpDatagram(id, address));
    if (requests.empty()) requests.emplace_back(std::string(), Bytes{});  // reported as not sent
    return requestChange(requests, "IP Changed Successfully", "Error Changing IP");
}

ChangeResult EthernetModuleWindow::changeHostName() {
    const std::string ip = state_.chosen ? state_.chosen->IP : std::string();
    const auto [first, second] = hostNameDatagrams(view_.hostEdit);
    return requestChange({{ip, first}, {ip, second}}, "Host Name Changed Successfully", "Error Changing Host Name");
}

ChangeResult EthernetModuleWindow::requestChange(const std::vector<std::pair<std::string, Bytes>>& requests,
                                                 const std::string& changed, const std::string& failed) {
    drainPending();
    state_.replyReceived = false;
    bool sent = true;
    for (const auto& [address, bytes] : requests) sent = sent && !address.empty() && sendTo(address, bytes);
    const auto answer = sent ? awaitAnswer() : std::nullopt;
    ChangeResult result = ChangeResult::NoAnswer;
    if (answer == 'A') {
        ui_.information(changed);
        result = ChangeResult::Changed;
    } else if (answer) {
        ui_.error(failed);
        result = ChangeResult::Refused;
    } else if (!sent) {
        const std::string why = udp_.errorText();
        ui_.error(failed + ": the request could not be sent" + (why.empty() ? "" : " (" + why + ")"));
    } else {
        ui_.error(failed + ": no answer from the module within " + std::to_string(settings_.answerTime.count()) +
                  " ms");
    }
    state_.replyReceived = false;
    if (settings_.rescanAfterChange) scan();
    return result;
}

bool EthernetModuleWindow::identify() {
    return state_.chosen && sendTo(state_.chosen->IP, identifyDatagram());
}

bool EthernetModuleWindow::connectToModule() {
    if (view_.chosenIp == "IP" || !state_.chosen) {
        ui_.message(MessageKind::Plain, Buttons::Ok, "You must Select a Processor from the Drop Down List");
        return false;
    }
    const EthernetDevice module = *state_.chosen;
    link_.ethernet.setAddress(module.IP, settings_.tcpPort);
    // A connection error reports itself, drops the link and abandons the connect.
    link_.ethernet.ReconnectEthernet();
    state_.pcHostName = host_.hostName();
    if (!probe || !probe()) {
        link_.ethernet.close();
        ui_.message(MessageKind::Plain, Buttons::Ok, "ETHERNET Comunication Error. Connecting with: " + module.Name);
        link_.DropLink();
        return false;
    }
    view_.statusB = "ETHERNET: Connected with " + module.Name + " from " + state_.pcHostName;
    ui_.status(StatusField::StatusB, view_.statusB);
    ui_.status(StatusField::ConnectedL, view_.statusB);
    ui_.status(StatusField::InfoLabel, view_.statusB);
    link_.EnableUnitCommands();
    if (closeWindow) closeWindow();
    if (libraryModelChanged) libraryModelChanged();
    return true;
}

bool EthernetModuleWindow::sendTo(const std::string& address, const Bytes& bytes) {
    return udp_.send(address, settings_.udpPort, bytes);
}

bool EthernetModuleWindow::deliver(milliseconds timeout) {
    auto datagram = udp_.receive(timeout);
    if (!datagram) return false;
    takeReply(*datagram);
    return true;
}

void EthernetModuleWindow::drainPending() {
    ui_.pump();
    while (deliver(milliseconds(0))) {
    }
}

std::optional<std::uint8_t> EthernetModuleWindow::awaitAnswer() {
    const auto deadline = Clock::now() + settings_.answerTime;
    for (;;) {
        ui_.pump();
        deliver(std::min(until(deadline), em100_timing::kPumpSlice));
        if (state_.replyReceived) break;
        if (Clock::now() >= deadline) return std::nullopt;
    }
    if (state_.replyDatagram.empty()) return std::uint8_t{0};
    return state_.replyDatagram.front();
}

}  // namespace vela
