#pragma once
// One read of program memory k over the active link, with no effect on the session beyond the
// exchange itself: the model list, the open library and the current program stay as they
// are. Identification, verify, backup and compare all read through it.

#include "link/exchange.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace vela {

class Session;

enum class MemoryContent { Program, Empty, Unread };

struct MemoryRead {
    MemoryContent content = MemoryContent::Unread;
    // The program as the unit sent it: its 2-byte length field, then the image.
    std::vector<std::uint8_t> program;
    // Why the memory was not read, for the summary.
    std::string failure;
    // USB: the memory was empty, then the unit did not answer the probe that follows.
    bool silentAfterEmpty = false;
};

// The link reads go over: USB, Ethernet or the serial line, by the link flags; nullopt offline.
std::optional<Channel> readChannel(const Session& session);

// Reads memory `memory` (1..13). A lost link or a stop request travels on as the exchange's
// exception (LinkAbandoned, RunStopped): callers run it inside guarded().
MemoryRead readMemory(Session& session, int memory);

// The first offset at which two programs differ (the length of the shorter one when one is
// the start of the other); nullopt when they are the same bytes.
std::optional<std::size_t> firstDifference(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b);

} // namespace vela
