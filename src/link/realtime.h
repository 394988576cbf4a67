#pragma once
// Real-time frames: 0x65 0x12 target type payload 0x55, sent at once and never answered,
// carrying single parameter changes while real-time mode is on.

#include "dsp/realtime_sink.h"
#include "link/device_link.h"
#include "link/exchange.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <span>
#include <vector>

namespace vela {

inline constexpr std::uint8_t kRealTimeMarker = 0x12;
inline constexpr std::size_t kRealTimeMessageSize = 22;

// Payload bytes of a frame type: 22 for a biquad section (0), 6 for one value (2, 3); 0 for
// a type the unit does not know.
std::size_t realTimePayloadSize(std::uint8_t type);

// The designers' real-time sends go out here, on every active link.
class RealTimeSender : public dsp::RealTimeSink {
public:
    explicit RealTimeSender(DeviceLink& link) : link_(link) {}

    // The payload of the next frame.
    std::array<std::uint8_t, kRealTimeMessageSize> RealTimeMessage{};

    // One frame on one channel. Failure only when the USB bridge cannot be opened.
    ExchangeResult SendRealTime(Channel channel, std::uint8_t target, std::uint8_t type);
    // The frame in RealTimeMessage on every active link, in the order USB, Ethernet, serial;
    // a link that fails shows its own message. False when one failed.
    bool sendOnActiveLinks(std::uint8_t type);
    // A type-2 frame: a 2-byte address and a 4-byte value.
    void SendParameterValue(std::int32_t value, std::uint16_t address);
    // A frame of `type` with an address and 4-byte words (five for a section, one for a value).
    bool sendWords(std::uint8_t type, std::uint16_t address, std::span<const std::uint32_t> words);
    bool realTimeModeOn() const { return link_.state.RealTimeMode; }
    // The whole frame that SendRealTime puts on the wire for RealTimeMessage.
    std::vector<std::uint8_t> frame(std::uint8_t target, std::uint8_t type) const;

    void send(dsp::RealTimeType type, std::uint16_t address, std::span<const std::uint32_t> words) override {
        sendWords(static_cast<std::uint8_t>(type), address, words);
    }
    void setTarget(std::uint8_t target) override { link_.state.RealTimeTarget = target; }

private:
    void waitForTheLine(std::uint8_t type);

    DeviceLink& link_;
    std::chrono::steady_clock::time_point lineFreeAt_{};
};

}  // namespace vela
