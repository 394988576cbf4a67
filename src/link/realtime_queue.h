#pragma once
// Real-time changes wait here until the link is free. A drag produces far more values than the
// wire carries, so only the newest value per address waits: the link carries one frame at a
// time and the unit always ends with the last value the editor holds. Any thread may queue;
// the link's own thread sends.

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
    // One waiting entry: a frame, or a change of the selector byte that later frames carry.
    struct Entry {
        bool selectsTarget = false;
        std::uint8_t target = 0;
        dsp::RealTimeType type = dsp::RealTimeType::OneWord;
        std::uint16_t address = 0;
        std::array<std::uint32_t, 5> words{};
        std::size_t wordCount = 0;
    };

    void send(dsp::RealTimeType type, std::uint16_t address, std::span<const std::uint32_t> words) override;
    void setTarget(std::uint8_t target) override;

    // Called, on the queuing thread, when something waits where nothing did: the link's thread
    // is asked to send. Set it before frames can arrive.
    void setWake(std::function<void()> wake);
    // The oldest waiting entry, with the newest value of its address.
    std::optional<Entry> take();
    std::size_t waiting() const;
    void clear();

private:
    void add(const Entry& entry);

    mutable std::mutex mutex_;
    std::deque<Entry> entries_;
    std::function<void()> wake_;
};

// On the link's thread: sends what waits, one frame at a time, on every active link, and
// returns how many frames went out. With real-time mode off what waits is dropped; after a
// frame that failed (its error was shown) the rest is dropped too, so one fault shows once.
std::size_t sendWaitingFrames(RealTimeQueue& queue, RealTimeSender& sender);

}  // namespace vela
