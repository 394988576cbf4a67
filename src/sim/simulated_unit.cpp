#include "sim/simulated_unit.h"

#include "platform/timer_resolution.h"

#include <algorithm>
#include <deque>
#include <optional>
#include <thread>
#include <utility>

namespace vela::sim {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::uint8_t kStart = 0x65;
constexpr std::uint8_t kEnd = 0x55;
constexpr std::uint8_t kRealTime = 0x12;
constexpr std::uint8_t kProtected = 0xFF;
constexpr std::uint8_t kRefused = 0xFE;  // the answer to a memory number the command cannot use
constexpr std::size_t kBlock = 64;
constexpr Millis kFrameGap{4};           // a real-time frame's 0x12 follows its 0x65 at once
constexpr Millis kSlice{50};
// A unit that runs for days keeps only its latest history.
constexpr std::size_t kKeptRecords = 512;

// The PC hung up, fell silent mid-exchange, or the unit is stopping.
struct Interrupted {
    bool hangup;
};

std::size_t payloadSize(std::uint8_t type) {
    if (type == 0) return 22;
    if (type == 2 || type == 3) return 6;
    return 0;
}

bool validProgram(int command, int program) {
    switch (command) {
    case 3:
    case 4:
    case 7: return program >= 1 && program <= kMemories;
    case 1: return program == 15;
    default: return true;
    }
}

}  // namespace

class SimulatedUnit::Conversation {
public:
    Conversation(SimulatedUnit& unit, UnitPort& port, std::stop_token stop)
        : unit_(unit), port_(port), stop_(std::move(stop)) {
        if (const int baud = unit.options_.baud; baud > 0)
            byteTime_ = std::chrono::nanoseconds(10'000'000'000LL / baud);  // 10 bits a byte
    }

    void run() {
        while (!stop_.stop_requested()) {
            std::optional<std::uint8_t> b;
            try {
                b = take(kSlice);
            } catch (const Interrupted&) {
                return;
            }
            // Anything but START between exchanges is line noise.
            if (b == kStart && !converse()) return;
        }
    }

private:
    // One exchange from its START byte; false when the PC hung up.
    bool converse() {
        unit_.begin();
        record_ = SimRecord{};
        record_.host.push_back(kStart);
        recording_ = true;
        bool hungUp = false;
        try {
            if (unit_.strikes(SimFault::Kind::Silent)) {
                record_.outcome = "silent";
                swallow();
            } else if (fill(kFrameGap + 2 * std::chrono::duration_cast<Millis>(byteTime_)) && pending_.front() == kRealTime)
                realTimeFrame();
            else if (const int memory = takePendingRead())
                readBack(memory);
            else
                exchange();
        } catch (const Interrupted& i) {
            hungUp = i.hangup;
            if (record_.outcome.empty()) {
                record_.outcome = "abandoned";
                if (hungUp) port_.discardUnread();
            }
        }
        recording_ = false;
        unit_.finish(std::move(record_));
        return !hungUp;
    }

    void exchange() {
        record_.kind = "exchange";
        if (unit_.strikes(SimFault::Kind::Start)) return refuse("fault-start", 0x00);
        send(kStart);
        const std::uint8_t command = next();
        record_.command = command;
        send(command);
        const std::uint8_t program = next();
        record_.program = program;
        if (command == 3 && unit_.options_.protectedMemories.count(program)) return refuse("protected", kProtected);
        if (!validProgram(command, program)) return refuse("refused", kRefused);
        send(program);
        next();  // the repetition, not answered
        const std::uint8_t high = next();
        const std::uint8_t low = next();
        if (unit_.strikes(SimFault::Kind::Long)) return refuse("fault-long", static_cast<std::uint8_t>(low ^ 0xFF));
        send(low);

        const std::size_t length = std::size_t(high) << 8 | low;
        Bytes data;
        data.reserve(length);
        while (data.size() < length) {
            const std::size_t n = std::min(kBlock, length - data.size());
            for (std::size_t i = 0; i < n; ++i) data.push_back(next());
            if (blockFault()) return;
            send(data.back());
        }

        const std::uint8_t end = next();
        if (unit_.strikes(SimFault::Kind::End)) return refuse("fault-end", 0x00);
        if (end != kEnd) return refuse("bad-end", 0x00);
        apply(command, program, data);
        record_.outcome = "ok";
        send(kEnd);
    }

    void readBack(int memory) {
        record_.kind = "read-back";
        record_.command = 4;
        record_.program = memory;
        std::optional<Bytes> image;
        {
            std::lock_guard lock(unit_.mutex_);
            image = unit_.store_.readBack(memory);
        }
        sendAndEcho(kStart);  // BEGIN
        sendAndEcho(4);
        sendAndEcho(static_cast<std::uint8_t>(memory));
        if (!image) {
            // Nothing stored: the length 0xFFFF and no data.
            sendAndEcho(0xFF);
            sendAndEcho(0xFF);
            record_.outcome = "empty";
            return;
        }
        const std::size_t length = std::min<std::size_t>(image->size(), 0xFFFE);
        sendAndEcho(static_cast<std::uint8_t>(length >> 8));
        sendAndEcho(static_cast<std::uint8_t>(length & 0xFF));
        for (std::size_t at = 0; at < length; at += kBlock) {
            if (blockFault()) return;
            const std::size_t n = std::min(kBlock, length - at);
            send(std::span<const std::uint8_t>(image->data() + at, n));
            next();  // the PC's acknowledgement
        }
        record_.outcome = "ok";
        sendAndEcho(kEnd);
    }

    void realTimeFrame() {
        record_.kind = "realtime";
        next();  // 0x12
        next();  // target
        const std::uint8_t type = next();
        const std::size_t n = payloadSize(type);
        std::uint8_t last = 0;
        if (n > 0) {
            for (std::size_t i = 0; i <= n; ++i) last = next();
        } else {
            // An unknown type: its frame runs to the next end byte.
            for (std::size_t i = 0; i < 64 && last != kEnd; ++i) last = next();
        }
        record_.outcome = last == kEnd ? "ok" : "bad-end";
        std::lock_guard lock(unit_.mutex_);
        if (unit_.frames_.size() >= kKeptRecords) unit_.frames_.erase(unit_.frames_.begin());
        unit_.frames_.push_back(record_.host);
    }

    // The unit turns the exchange down with `answer` and waits for the next one.
    void refuse(const char* outcome, std::uint8_t answer) {
        record_.outcome = outcome;
        send(answer);
    }

    // A data-block fault: true when the exchange ends here.
    bool blockFault() {
        if (unit_.strikes(SimFault::Kind::HangupBlock)) {
            record_.outcome = "hangup";
            port_.hangup();
            swallow();
            return true;
        }
        if (unit_.strikes(SimFault::Kind::SilentBlock)) {
            record_.outcome = "silent";
            swallow();
            return true;
        }
        return false;
    }

    // Takes whatever the PC still sends without answering, until it gives up.
    void swallow() {
        while (take(unit_.options_.exchangeTimeout)) {
        }
    }

    void apply(int command, int program, const Bytes& data) {
        std::lock_guard lock(unit_.mutex_);
        UnitStatus& s = unit_.status_;
        switch (command) {
        case 1:
            unit_.store_.storeFirmware(data);
            ++s.firmwareWrites;
            break;
        case 3: unit_.store_.storeMemory(program, data); break;
        case 4: unit_.pendingRead_ = program; break;
        case 5: s.keyboardLocked = !data.empty() && data[0] == 0xFF; break;
        case 6: s.password = data; break;
        case 7: s.currentProgram = program; break;
        case 8: ++s.resets; break;
        case 20: s.onlyChangeFromKeyboard = !data.empty() && data[0] == 0xFF; break;
        default: break;
        }
    }

    int takePendingRead() {
        std::lock_guard lock(unit_.mutex_);
        return std::exchange(unit_.pendingRead_, 0);
    }

    // Waits up to `timeout` until a byte is pending; throws on hang-up or stop.
    bool fill(Millis timeout) {
        const auto deadline = Clock::now() + timeout;
        while (pending_.empty()) {
            if (stop_.stop_requested()) throw Interrupted{false};
            const auto left = std::chrono::duration_cast<Millis>(deadline - Clock::now());
            if (left.count() < 0) return false;
            switch (port_.wait(std::min(left, kSlice))) {
            case UnitPort::Wait::Hangup: throw Interrupted{true};
            case UnitPort::Wait::Timeout: break;
            case UnitPort::Wait::Data: {
                std::uint8_t buf[4096];
                const std::size_t n = port_.read(buf);
                if (n == 0) break;
                // The last of these bytes would arrive only after their wire time.
                if (byteTime_.count() > 0) {
                    rxClock_ = std::max(rxClock_, Clock::now()) + byteTime_ * n;
                    std::this_thread::sleep_until(rxClock_);
                }
                pending_.insert(pending_.end(), buf, buf + n);
                break;
            }
            }
        }
        return true;
    }

    std::optional<std::uint8_t> take(Millis timeout) {
        if (!fill(timeout)) return std::nullopt;
        const std::uint8_t b = pending_.front();
        pending_.pop_front();
        if (recording_) record_.host.push_back(b);
        return b;
    }

    std::uint8_t next() {
        const auto b = take(unit_.options_.exchangeTimeout);
        if (!b) throw Interrupted{false};
        return *b;
    }

    void send(std::span<const std::uint8_t> bytes) {
        if (byteTime_.count() > 0) {
            txClock_ = std::max(txClock_, Clock::now()) + byteTime_ * bytes.size();
            std::this_thread::sleep_until(txClock_);
        }
        record_.unit.insert(record_.unit.end(), bytes.begin(), bytes.end());
        port_.write(bytes);
    }
    void send(std::uint8_t b) { send(std::span(&b, 1)); }
    void sendAndEcho(std::uint8_t b) {
        send(b);
        next();
    }

    SimulatedUnit& unit_;
    UnitPort& port_;
    std::stop_token stop_;
    std::deque<std::uint8_t> pending_;
    SimRecord record_;
    bool recording_ = false;
    std::chrono::nanoseconds byteTime_{0};
    Clock::time_point rxClock_{};
    Clock::time_point txClock_{};
};

SimulatedUnit::SimulatedUnit(SimOptions options)
    : options_(std::move(options)), store_(options_.memoryDir, options_.modelCode, options_.empty),
      trace_(options_.traceFile) {}

void SimulatedUnit::serve(UnitPort& port, std::stop_token stop) {
    // Wire-time emulation sleeps for fractions of a millisecond: ask for precise wake-ups.
    std::optional<platform::TimerResolution> fine;
    if (options_.baud > 0) fine.emplace();
    Conversation(*this, port, std::move(stop)).run();
}

bool SimulatedUnit::strikes(SimFault::Kind kind) {
    std::lock_guard lock(mutex_);
    const int count = ++reached_[static_cast<std::size_t>(kind)];
    return std::any_of(options_.faults.begin(), options_.faults.end(),
                       [&](const SimFault& f) { return f.kind == kind && (f.at == 0 || f.at == count); });
}

void SimulatedUnit::begin() {
    std::lock_guard lock(mutex_);
    ++busy_;
}

void SimulatedUnit::finish(SimRecord record) {
    trace_.append(record);
    std::lock_guard lock(mutex_);
    if (records_.size() >= kKeptRecords) records_.erase(records_.begin());
    records_.push_back(std::move(record));
    ++total_;
    --busy_;
    idle_.notify_all();
}

std::optional<Bytes> SimulatedUnit::memory(int k) const {
    std::lock_guard lock(mutex_);
    if (k < 1 || k > kMemories) return std::nullopt;
    return store_.memory(k);
}

Bytes SimulatedUnit::firmware() const {
    std::lock_guard lock(mutex_);
    return store_.firmware();
}

UnitStatus SimulatedUnit::status() const {
    std::lock_guard lock(mutex_);
    return status_;
}

std::vector<SimRecord> SimulatedUnit::records() const {
    std::lock_guard lock(mutex_);
    return records_;
}

long SimulatedUnit::exchangeCount() const {
    std::lock_guard lock(mutex_);
    return total_;
}

std::vector<Bytes> SimulatedUnit::realTimeFrames() const {
    std::lock_guard lock(mutex_);
    return frames_;
}

bool SimulatedUnit::waitIdle(Millis timeout) const {
    std::unique_lock lock(mutex_);
    return idle_.wait_for(lock, timeout, [this] { return busy_ == 0; });
}

}  // namespace vela::sim
