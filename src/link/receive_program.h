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
    bool received = false;   // the six steps ran
    bool noProgram = false;  // the unit answered length 0xFFFF: the memory holds no program
    // USB: whether the unit answered the probe that follows an empty answer.
    bool answersAfterEmpty = true;
    std::uint16_t length = 0;
};

// `image` is the transmit buffer the request exchange is sent from (it sends no data). An
// empty memory (length 0xFFFF) ends the read on every link; over USB the probe exchange then
// checks that the unit still answers. What an empty memory or a model code means for the
// session is the caller's to decide.
ReceiveResult ReceiveProgram(DeviceLink& link, const ProgramImage& image, Channel channel, std::uint8_t memory,
                             ReceivedImage& received);

}  // namespace vela
