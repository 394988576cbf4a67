#pragma once
// The user's request to stop a run: Ctrl-C, a closed terminal or the window's Cancel button.
// The first request lets the exchange in progress finish and the run stops before its next
// one; the second stops at once, from inside the exchange. Where stopping would leave the
// unit blocked (the operating-system transfer) the first request only warns.

#include <atomic>
#include <string>

namespace vela {

class UserInterface;

// Thrown out of UserInterface::pump() when the user asked to stop at once. The run that
// catches it closes the channels and says what it had done.
struct RunStopped {};

class StopRequest {
public:
    // Safe in a signal handler.
    void request() noexcept { count_.fetch_add(1, std::memory_order_relaxed); }
    bool requested() const noexcept { return count_.load(std::memory_order_relaxed) >= 1; }
    bool immediate() const noexcept { return count_.load(std::memory_order_relaxed) >= 2; }
    void clear() noexcept;

    // Whether a run that honours requests is under way; outside one, a signal keeps its
    // ordinary effect. Safe in a signal handler.
    bool listening() const noexcept { return listeners_.load(std::memory_order_relaxed) > 0; }
    // Whether a stretch that a first request must not cut is under way.
    bool critical() const { return !criticalWarning_.empty(); }

    // Called from UserInterface::pump(): throws RunStopped once a stop at once is asked for,
    // and warns once when a first request falls on a stretch that must not be cut.
    void checkpoint(UserInterface& ui);

    // Marks a run that looks at the request between its exchanges.
    class Listening {
    public:
        explicit Listening(StopRequest& r) : r_(r) { r_.listeners_.fetch_add(1); }
        ~Listening() { r_.listeners_.fetch_sub(1); }
        Listening(const Listening&) = delete;
        Listening& operator=(const Listening&) = delete;

    private:
        StopRequest& r_;
    };

    // Marks a stretch that a first request must not cut; `warning` says why.
    class Critical {
    public:
        Critical(StopRequest& r, std::string warning);
        ~Critical();
        Critical(const Critical&) = delete;
        Critical& operator=(const Critical&) = delete;

    private:
        StopRequest& r_;
        std::string previous_;
    };

private:
    std::atomic<int> count_{0};
    std::atomic<int> listeners_{0};
    std::string criticalWarning_;  // empty outside a critical stretch
    bool warned_ = false;
    bool thrown_ = false;
};

}  // namespace vela
