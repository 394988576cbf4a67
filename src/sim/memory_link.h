#pragma once
// An in-process link between the program's channels and the simulated unit: two byte
// queues. Opening a host channel connects it (a fresh connection, as a TCP connect or a
// bridge open), which drops whatever host channel was connected before.

#include "link/byte_channel.h"
#include "sim/unit_port.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>

namespace vela::sim {

class MemoryLink : public std::enable_shared_from_this<MemoryLink> {
public:
    // A host channel to the unit, unopened; `address` is what it reports as its address.
    std::unique_ptr<ByteChannel> hostChannel(std::string address);
    UnitPort& unitPort() { return unitPort_; }
    // Waits up to `timeout` until a host channel is connected.
    bool waitForConnection(Millis timeout);
    // Wakes every wait at once, for a unit that is stopping.
    void shutdown();

private:
    class HostChannel;
    class Port : public UnitPort {
    public:
        explicit Port(MemoryLink& link) : link_(link) {}
        Wait wait(Millis timeout) override;
        std::size_t read(std::span<std::uint8_t> out) override;
        void write(std::span<const std::uint8_t> bytes) override;
        void hangup() override;

    private:
        MemoryLink& link_;
    };

    std::uint64_t connect();
    void disconnect(std::uint64_t generation);
    bool connected(std::uint64_t generation) const { return connected_ && generation == generation_; }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::uint8_t> toUnit_;
    std::deque<std::uint8_t> toHost_;
    std::uint64_t generation_ = 0;
    bool connected_ = false;
    bool stopping_ = false;
    // A reconnection the unit has not yet been told of, and how many of the queued bytes
    // belong to the connection it ended.
    bool dropPending_ = false;
    std::size_t oldBytes_ = 0;
    Port unitPort_{*this};
};

}  // namespace vela::sim
