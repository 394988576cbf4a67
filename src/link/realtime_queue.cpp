#include "link/realtime_queue.h"

#include "link/realtime.h"

#include <algorithm>

namespace vela {

void RealTimeQueue::send(dsp::RealTimeType type, std::uint16_t address, std::span<const std::uint32_t> words) {
    Entry e;
    e.type = type;
    e.address = address;
    e.wordCount = std::min(words.size(), e.words.size());
    std::copy_n(words.begin(), e.wordCount, e.words.begin());
    add(e);
}

void RealTimeQueue::setTarget(std::uint8_t target) {
    Entry e;
    e.selectsTarget = true;
    e.target = target;
    add(e);
}

void RealTimeQueue::add(const Entry& entry) {
    bool wasEmpty = false;
    std::function<void()> wake;
    {
        const std::lock_guard lock(mutex_);
        wasEmpty = entries_.empty();
        // A newer value replaces the waiting one of its address in place, unless a change of
        // target lies between them: then the two go to different places and both are sent.
        Entry* same = nullptr;
        if (entry.selectsTarget) {
            if (!entries_.empty() && entries_.back().selectsTarget) same = &entries_.back();
        } else {
            for (auto it = entries_.rbegin(); it != entries_.rend() && !it->selectsTarget; ++it)
                if (it->type == entry.type && it->address == entry.address) {
                    same = &*it;
                    break;
                }
        }
        if (same)
            *same = entry;
        else
            entries_.push_back(entry);
        if (wasEmpty) wake = wake_;
    }
    if (wake) wake();
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

std::size_t sendWaitingFrames(RealTimeQueue& queue, RealTimeSender& sender) {
    std::size_t sent = 0;
    while (const auto e = queue.take()) {
        if (!sender.realTimeModeOn()) {
            queue.clear();
            break;
        }
        if (e->selectsTarget) {
            sender.setTarget(e->target);
            continue;
        }
        const bool ok = sender.sendWords(static_cast<std::uint8_t>(e->type), e->address,
                                         std::span<const std::uint32_t>(e->words.data(), e->wordCount));
        ++sent;
        if (!ok) {
            queue.clear();
            break;
        }
    }
    return sent;
}

}  // namespace vela
