#include "link/realtime_queue.h"

#include "link/realtime.h"

#include <algorithm>

namespace vela {

void RealTimeQueue::send(dsp::RealTimeType type, std::uint16_t address, std::span<const std::uint32_t> words) {
    bool wasEmpty = false;
    std::function<void()> wake;
    {
        const std::lock_guard lock(mutex_);
        Entry e;
        e.target = target_;
        e.type = type;
        e.address = address;
        e.wordCount = std::min(words.size(), e.words.size());
        std::copy_n(words.begin(), e.wordCount, e.words.begin());
        wasEmpty = entries_.empty();
        // A newer value of a waiting parameter takes its place: the older one would only be
        // overwritten on the unit.
        const auto same = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& w) {
            return w.target == e.target && w.type == e.type && w.address == e.address;
        });
        if (same != entries_.end())
            *same = e;
        else
            entries_.push_back(e);
        if (wasEmpty) wake = wake_;
    }
    if (wake) wake();
}

void RealTimeQueue::setTarget(std::uint8_t target) {
    const std::lock_guard lock(mutex_);
    target_ = target;
}

void RealTimeQueue::setWake(std::function<void()> wake) {
    const std::lock_guard lock(mutex_);
    wake_ = std::move(wake);
}

std::optional<RealTimeQueue::Entry> RealTimeQueue::take() {
    const std::lock_guard lock(mutex_);
    if (entries_.empty()) return std::nullopt;
    Entry e = entries_.front();
    entries_.pop_front();
    return e;
}

std::size_t RealTimeQueue::waiting() const {
    const std::lock_guard lock(mutex_);
    return entries_.size();
}

void RealTimeQueue::clear() {
    const std::lock_guard lock(mutex_);
    entries_.clear();
}

SentFrames sendWaitingFrames(RealTimeQueue& queue, RealTimeSender& sender) {
    SentFrames result;
    while (const auto e = queue.take()) {
        if (!sender.realTimeModeOn()) {
            queue.clear();
            break;
        }
        if (e->target) sender.setTarget(*e->target);
        const bool ok = sender.sendWords(static_cast<std::uint8_t>(e->type), e->address,
                                         std::span<const std::uint32_t>(e->words.data(), e->wordCount));
        ++result.sent;
        if (!ok) {
            result.failed = true;
            queue.clear();
            break;
        }
    }
    return result;
}

}  // namespace vela
