#pragma once
// Where the designers' real-time sends go. The designers decide what is sent and in which
// order; the protocol implements this interface, builds the
// frame 0x65 0x12 target type payload 0x55 and sends it on every active link.
//
// The caller of a designer's send checks real-time mode and the busy flag first:
// the designers send unconditionally.

#include <cstdint>
#include <span>

namespace vela::dsp {

// RealTimeType: the payload is a 2-byte address followed by the 4-byte words.
enum class RealTimeType : std::uint8_t {
    FiveWords = 0,    // 22-byte payload: a biquad's B0, B1, B2, A1, A2, or five gain-table entries
    OneWord = 2,      // 6-byte payload: SendParameterValue, the first three gain-table entries
    OneWordType3 = 3, // 6-byte payload: the output gains
};

class RealTimeSink {
  public:
    virtual ~RealTimeSink() = default;

    // One frame. words has five entries for FiveWords and one for the others; each is
    // sent as four bytes, most significant first (coefficient words already have their top
    // four bits clear).
    virtual void send(RealTimeType type, std::uint16_t address, std::span<const std::uint32_t> words) = 0;
    // Sets the selector byte (SessionState.RealTimeTarget) that accompanies later frames.
    virtual void setTarget(std::uint8_t target) = 0;
};

} // namespace vela::dsp
