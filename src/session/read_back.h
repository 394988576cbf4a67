#pragma once
// Reading a memory back as the windows do: the exchange, then what its model code decides
// about the library window's list.

#include "link/exchange.h"
#include "link/receive_program.h"

#include <cstdint>

namespace vela {

class Session;

ReceiveResult readProgramBack(Session& s, Channel channel, std::uint8_t memory);

}  // namespace vela
