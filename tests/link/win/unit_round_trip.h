#pragma once
// A program written into the simulated unit and read back over one channel, as the transfer
// and read-back windows do it.

#include "link/receive_program.h"
#include "link/send_program.h"
#include "support/scripted_ui.h"

#include <vector>

namespace vela::test {

using Bytes = std::vector<std::uint8_t>;

// A 3570-byte program (the size of a real one) of the model with code 1.
inline Bytes sampleProgram() {
    Bytes b(3570);
    for (std::size_t i = 0; i < b.size(); ++i)
        b[i] = static_cast<std::uint8_t>(i * 13 + 1);
    b[4] = 1;
    return b;
}

// The bytes read back from `memory` after writing `program` there; empty when either failed.
inline Bytes writeAndReadBack(DeviceLink& link, Channel channel, std::uint8_t memory, const Bytes& program) {
    auto image = std::make_unique<ProgramImage>();
    std::copy(program.begin(), program.end(), image->begin());
    const auto sent = SendProgram(link, *image, channel, CommandCode::WriteProgramCommand, memory,
                                  static_cast<std::uint16_t>(program.size()), false);
    closeUsbIfOpen(link);
    if (sent != ExchangeResult::Success) return {};
    link.state.ProgramNumber = memory;
    auto received = std::make_unique<ReceivedImage>();
    const auto r = ReceiveProgram(link, *image, channel, memory, *received);
    closeUsbIfOpen(link);
    if (!r.received) return {};
    return Bytes(received->begin(), received->begin() + r.length);
}

} // namespace vela::test
