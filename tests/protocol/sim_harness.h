#pragma once
// A device link facing the simulated unit: its USB bridge and serial port are a
// pseudo-terminal the unit serves, its TCP link goes to the unit on 127.0.0.1.

#include "core/session_state.h"
#include "link/device_link.h"
#include "link/exchange.h"
#include "library/library_window_state.h"
#include "link/receive_program.h"
#include "sim/pty_endpoint.h"
#include "sim/simulated_unit.h"
#include "sim/tcp_endpoint.h"
#include "support/scripted_ui.h"

#include <memory>
#include <vector>

namespace vela::test {

using Bytes = std::vector<std::uint8_t>;

class SimHarness {
public:
    explicit SimHarness(Channel channel, sim::SimOptions options = {});

    ExchangeResult send(CommandCode code, std::uint8_t program, std::uint16_t length, bool show = true);
    ReceiveResult receive(std::uint8_t memory);
    // The unit's records once it has finished the exchange under way.
    std::vector<sim::SimRecord> records();
    const std::string& ptyPath() const { return pty_->path(); }
    // Fills the image with a 3570-byte program: length field 3568, then a counting pattern.
    void fillProgram(std::size_t length = 3570);

    Channel channel;
    ScriptedUi ui;
    SessionState state;
    ProgramImage image{};
    ReceivedImage received{};
    LibraryWindowState library;
    std::unique_ptr<sim::SimulatedUnit> unit;

private:
    std::unique_ptr<sim::PtyEndpoint> pty_;
    std::unique_ptr<sim::TcpEndpoint> tcp_;

public:
    std::unique_ptr<DeviceLink> link;
};

// The bytes a handshaken exchange puts on the wire from the PC's side.
Bytes hostBytesOf(std::uint8_t command, std::uint8_t program, const Bytes& data);

}  // namespace vela::test
