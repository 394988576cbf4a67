#pragma once
// SendProgram: one handshaken exchange that carries a command, a memory number and
// `length` bytes of ProgramImage to the unit, each step waiting for the unit's answer.

#include "core/session_state.h"
#include "link/device_link.h"
#include "link/exchange.h"

#include <cstdint>
#include <optional>

namespace vela {

// Who tells the user of a protected memory: the exchange, with the unit's MEMORY PROTECTED box,
// or its caller, in a report of its own that says what else happened.
enum class ProtectedNotice { Box, Caller };

ExchangeResult SendProgram(DeviceLink& link, const ProgramImage& image, Channel channel, CommandCode command,
                           std::uint8_t program, std::uint16_t length, bool showWindow,
                           ProtectedNotice notice = ProtectedNotice::Box);

// The exchange length of the program image in the buffer: its length field L plus the two
// bytes of the field; nullopt when that would run past the buffer.
std::optional<std::uint16_t> programImageLength(const ProgramImage& image);

// Callers close the bridge after a failed exchange; it may already be closed (a failed open,
// a protected memory), and closing a closed bridge would report a bogus error.
void closeUsbIfOpen(DeviceLink& link);

}  // namespace vela
