#pragma once
// The simulated HALDA40: answers every exchange byte for byte from the unit's side — the
// handshaken exchange, the read-back, the operating-system image and the real-time frames
// — over any UnitPort. Several ports may serve the one unit.

#include "sim/sim_options.h"
#include "sim/sim_trace.h"
#include "sim/unit_port.h"
#include "sim/unit_store.h"

#include <array>
#include <condition_variable>
#include <mutex>
#include <stop_token>
#include <vector>

namespace vela::sim {

// What the unit's own keyboard and display would show.
struct UnitStatus {
    int currentProgram = 1;
    bool keyboardLocked = false;
    bool onlyChangeFromKeyboard = false;
    Bytes password;
    int resets = 0;
    int firmwareWrites = 0;
};

class SimulatedUnit {
public:
    explicit SimulatedUnit(SimOptions options);

    // Answers the PC on `port` until it hangs up or `stop` is requested.
    void serve(UnitPort& port, std::stop_token stop);

    std::optional<Bytes> memory(int k) const;
    Bytes firmware() const;
    UnitStatus status() const;
    // The latest records, oldest first; a long run keeps only the last few hundred.
    std::vector<SimRecord> records() const;
    long exchangeCount() const;
    // Every real-time frame received, whole (0x65 0x12 ... 0x55).
    std::vector<Bytes> realTimeFrames() const;
    // Waits until no exchange is under way; false when one still is after `timeout`.
    bool waitIdle(Millis timeout) const;
    const SimOptions& options() const { return options_; }
    bool traceFailed() const { return trace_.failed(); }

private:
    class Conversation;
    friend class Conversation;

    // True when a fault of this kind strikes now; counts every time the point is reached.
    bool strikes(SimFault::Kind kind);
    void begin();
    void finish(SimRecord record);

    SimOptions options_;
    mutable std::mutex mutex_;
    mutable std::condition_variable idle_;
    int busy_ = 0;
    UnitStore store_;
    UnitStatus status_;
    int pendingRead_ = 0;  // the memory a read request asked for, until the PC's START
    std::array<int, 6> reached_{};
    std::vector<SimRecord> records_;
    long total_ = 0;
    std::vector<Bytes> frames_;
    TraceFile trace_;
};

}  // namespace vela::sim
