#include "protocol/sim_harness.h"

#include "link/send_program.h"
#include "link/tcp_socket.h"
#include "link/tty_port.h"

namespace vela::test {

SimHarness::SimHarness(Channel c, sim::SimOptions options)
    : channel(c), unit(std::make_unique<sim::SimulatedUnit>(std::move(options))) {
    pty_ = std::make_unique<sim::PtyEndpoint>(*unit);
    if (channel == Channel::Ethernet) tcp_ = std::make_unique<sim::TcpEndpoint>(*unit, 0);
    const std::string path = pty_->path();
    LinkDevices devices;
    devices.usb = [path](int index) -> std::unique_ptr<ByteChannel> {
        return index == 0 ? std::make_unique<TtyPort>(path) : nullptr;
    };
    devices.serial = std::make_unique<TtyPort>(path);
    devices.ethernet = makeTcpSocket;
    link = std::make_unique<DeviceLink>(state, ui, std::move(devices));
    switch (channel) {
    case Channel::Usb:
        state.Link = LinkKind::USB;
        state.UsbActive = true;
        break;
    case Channel::Ethernet:
        state.Link = LinkKind::Ethernet;
        state.EthernetActive = true;
        link->ethernet.setAddress("127.0.0.1", tcp_->port());
        break;
    case Channel::Serial:
        state.Link = LinkKind::COM1;
        state.SerialActive = true;
        break;
    }
}

ExchangeResult SimHarness::send(CommandCode code, std::uint8_t program, std::uint16_t length, bool show) {
    const auto r = SendProgram(*link, image, channel, code, program, length, show);
    closeUsbIfOpen(*link);
    return r;
}

ReceiveResult SimHarness::receive(std::uint8_t memory) {
    const auto r = ReceiveProgram(*link, image, channel, memory, received);
    if (r.received) ApplyReceivedImage(received, library);
    closeUsbIfOpen(*link);
    return r;
}

std::vector<sim::SimRecord> SimHarness::records() {
    unit->waitIdle(std::chrono::seconds(10));
    return unit->records();
}

void SimHarness::fillProgram(std::size_t length) {
    image[0] = static_cast<std::uint8_t>((length - 2) >> 8);
    image[1] = static_cast<std::uint8_t>((length - 2) & 0xFF);
    for (std::size_t i = 2; i < length; ++i) image[i] = static_cast<std::uint8_t>(i * 7 + 3);
}

Bytes hostBytesOf(std::uint8_t command, std::uint8_t program, const Bytes& data) {
    Bytes b(6 + data.size() + 1);
    b[0] = 0x65;
    b[1] = command;
    b[2] = b[3] = program;
    b[4] = static_cast<std::uint8_t>(data.size() >> 8);
    b[5] = static_cast<std::uint8_t>(data.size() & 0xFF);
    std::copy(data.begin(), data.end(), b.begin() + 6);
    b.back() = 0x55;
    return b;
}

}  // namespace vela::test
