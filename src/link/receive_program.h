#pragma once
// ReceiveProgram: reads a program memory back. A read-request exchange comes first, then
// the unit runs the exchange towards the PC (BEGIN, COMMAND, PROGRAM, LONG, DATA, END),
// the PC echoing or acknowledging every step.

#include "core/session_state.h"
#include "link/device_link.h"
#include "link/exchange.h"

#include <array>
#include <cstdint>

namespace vela {

inline constexpr std::size_t kReceivedImageSize = 32656;
using ReceivedImage = std::array<std::uint8_t, kReceivedImageSize>;

struct ReceiveResult {
    bool received = false;   // the six steps ran and the image was applied
    bool noProgram = false;  // USB: the unit answered length 0xFFFF
    std::uint16_t length = 0;
};

// `image` is the transmit buffer the request exchange is sent from (it sends no data).
ReceiveResult ReceiveProgram(DeviceLink& link, const ProgramImage& image, Channel channel, std::uint8_t memory,
                             ReceivedImage& received);

}  // namespace vela
