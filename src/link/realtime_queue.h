#pragma once
// Real-time changes wait here until the link is free. A drag or a held control produces far
// more values than the wire carries, so only the newest value per (target, type, address)
// waits: the link carries one frame at a time and the unit always ends with the last value the
// editor holds. Any thread may queue; the link's own thread sends.

#include "dsp/realtime_sink.h"

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>

namespace vela {

class RealTimeSender;

class RealTimeQueue : public dsp::RealTimeSink {
public:
    // One waiting frame. Its target is the one the editor chose before it (setTarget); none
    // when no editor has chosen one yet, and the session's target goes with it.
    struct Entry {
        std::optional<std::uint8_t> target;
        dsp::RealTimeType type = dsp::RealTimeType::OneWord;
        std::uint16_t address = 0;
        std::array<std::uint32_t, 5> words{};
        std::size_t wordCount = 0;
    };

    void send(dsp::RealTimeType type, std::uint16_t address, std::span<const std::uint32_t> words) override;
    // Later frames carry this target. Queues nothing by itself, so that a procedure which
    // names its target before every value does not keep its values apart.
    void setTarget(std::uint8_t target) override;

    // Called, on the queuing thread, when something waits where nothing did: the link's thread
    // is asked to send. Set it before frames can arrive.
    void setWake(std::function<void()> wake);
    // The oldest waiting entry, with the newest value of its parameter.
    std::optional<Entry> take();
    std::size_t waiting() const;
    void clear();

private:
    mutable std::mutex mutex_;
    std::deque<Entry> entries_;
    std::optional<std::uint8_t> target_;
    std::function<void()> wake_;
};

struct SentFrames {
    std::size_t sent = 0;
    bool failed = false;  // a frame could not go out; its error has been shown
};

// On the link's thread: sends what waits, one frame at a time, on every active link. With
// real-time mode off what waits is dropped; after a frame that failed the rest is dropped too,
// so one fault shows once.
SentFrames sendWaitingFrames(RealTimeQueue& queue, RealTimeSender& sender);

}  // namespace vela
