#include "sim/memory_link.h"

#include <algorithm>
#include <utility>

namespace vela::sim {

class MemoryLink::HostChannel : public ByteChannel {
public:
    HostChannel(std::shared_ptr<MemoryLink> link, std::string address)
        : link_(std::move(link)), address_(std::move(address)) {}
    ~HostChannel() override { close(); }

    bool open() override {
        generation_ = link_->connect();
        return true;
    }
    void close() override {
        if (generation_) link_->disconnect(generation_);
        generation_ = 0;
    }
    bool isOpen() const override {
        std::lock_guard lock(link_->mutex_);
        return link_->connected(generation_);
    }
    std::size_t write(std::span<const std::uint8_t> bytes) override {
        std::lock_guard lock(link_->mutex_);
        if (!link_->connected(generation_)) return 0;
        link_->toUnit_.insert(link_->toUnit_.end(), bytes.begin(), bytes.end());
        link_->changed_.notify_all();
        return bytes.size();
    }
    bool waitForData(Millis timeout) override {
        std::unique_lock lock(link_->mutex_);
        link_->changed_.wait_for(lock, timeout, [this] {
            return !link_->connected(generation_) || !link_->toHost_.empty();
        });
        return link_->connected(generation_) && !link_->toHost_.empty();
    }
    std::size_t read(std::span<std::uint8_t> out, Millis timeout) override {
        if (out.empty() || !waitForData(timeout)) return 0;
        std::lock_guard lock(link_->mutex_);
        auto& q = link_->toHost_;
        const std::size_t n = std::min(out.size(), q.size());
        std::copy_n(q.begin(), n, out.begin());
        q.erase(q.begin(), q.begin() + static_cast<std::ptrdiff_t>(n));
        return n;
    }
    std::string address() const override { return address_; }

private:
    std::shared_ptr<MemoryLink> link_;
    std::string address_;
    std::uint64_t generation_ = 0;
};

std::unique_ptr<ByteChannel> MemoryLink::hostChannel(std::string address) {
    return std::make_unique<HostChannel>(shared_from_this(), std::move(address));
}

std::uint64_t MemoryLink::connect() {
    std::lock_guard lock(mutex_);
    // A new connection ends the one before it, even if the unit never saw it closed: the
    // unit gets what that one sent, then its hang-up, then the new bytes.
    if (generation_ > 0) {
        oldBytes_ = toUnit_.size();
        dropPending_ = true;
    }
    ++generation_;
    connected_ = true;
    // What the PC sent before it closed is on its way to the unit; a fresh open sees only
    // new answers.
    toHost_.clear();
    changed_.notify_all();
    return generation_;
}

void MemoryLink::disconnect(std::uint64_t generation) {
    std::lock_guard lock(mutex_);
    if (generation != generation_) return;
    connected_ = false;
    changed_.notify_all();
}

bool MemoryLink::waitForConnection(Millis timeout) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [this] { return connected_ || stopping_; }) && connected_;
}

void MemoryLink::shutdown() {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    changed_.notify_all();
}

UnitPort::Wait MemoryLink::Port::wait(Millis timeout) {
    std::unique_lock lock(link_.mutex_);
    link_.changed_.wait_for(lock, timeout,
                            [this] { return link_.stopping_ || !link_.connected_ || !link_.toUnit_.empty(); });
    if (link_.oldBytes_ > 0) return Wait::Data;
    if (std::exchange(link_.dropPending_, false)) return Wait::Hangup;
    if (!link_.toUnit_.empty()) return Wait::Data;
    return link_.connected_ ? Wait::Timeout : Wait::Hangup;
}

std::size_t MemoryLink::Port::read(std::span<std::uint8_t> out) {
    std::lock_guard lock(link_.mutex_);
    auto& q = link_.toUnit_;
    // The bytes of a dropped connection end where its hang-up comes.
    const std::size_t n = std::min(out.size(), link_.dropPending_ ? link_.oldBytes_ : q.size());
    std::copy_n(q.begin(), n, out.begin());
    q.erase(q.begin(), q.begin() + static_cast<std::ptrdiff_t>(n));
    link_.oldBytes_ -= std::min(n, link_.oldBytes_);
    return n;
}

void MemoryLink::Port::write(std::span<const std::uint8_t> bytes) {
    std::lock_guard lock(link_.mutex_);
    if (!link_.connected_) return;
    link_.toHost_.insert(link_.toHost_.end(), bytes.begin(), bytes.end());
    link_.changed_.notify_all();
}

void MemoryLink::Port::hangup() {
    std::lock_guard lock(link_.mutex_);
    link_.connected_ = false;
    link_.changed_.notify_all();
}

}  // namespace vela::sim
