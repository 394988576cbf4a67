#pragma once
// The unit's end of a link: a pseudo-terminal's master side, an accepted TCP connection or
// the in-process pipe. The simulated unit reads what the PC sent and writes its answers.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>

namespace vela::sim {

using Millis = std::chrono::milliseconds;

class UnitPort {
public:
    enum class Wait { Data, Timeout, Hangup };
    virtual ~UnitPort() = default;

    // Waits up to `timeout` for bytes from the PC; Hangup when the PC's side is closed.
    virtual Wait wait(Millis timeout) = 0;
    // Takes the bytes that are pending, without waiting.
    virtual std::size_t read(std::span<std::uint8_t> out) = 0;
    virtual void write(std::span<const std::uint8_t> bytes) = 0;
    // Drops the connection as a pulled cable would; links that cannot are left as they are.
    virtual void hangup() {}
    // The PC let go of the line in the middle of an exchange: answers it never read are
    // dropped, as a bridge drops its buffers when the PC closes it, so that they do not
    // greet the next exchange. Links that keep no such bytes do nothing.
    virtual void discardUnread() {}
};

}  // namespace vela::sim
