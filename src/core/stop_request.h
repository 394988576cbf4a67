#pragma once
// The user's request to stop a run: Ctrl-C, a closed terminal or the window's Cancel button.
// The first request lets the exchange in progress finish and the run stops before its next
// one; the second stops at once, from inside the exchange. Where stopping would leave the
// unit blocked (the operating-system transfer) the first request only warns.
//
// A signal belongs to the whole process: it goes to one StopSource, which every session's
// StopRequest observes, so one Ctrl-C reaches every unit being loaded. A request made on one
// StopRequest (a window's Cancel) stops that session only. Every call is safe from any thread.

#include <atomic>

namespace vela {

class UserInterface;

// Thrown out of UserInterface::pump() when the user asked to stop at once. The run that
// catches it closes the channels and says what it had done.
struct RunStopped {};

// Requests that reach every session of the process; the signal handler's only target.
class StopSource {
public:
    // The process's own, which the signal handler triggers.
    static StopSource& process() noexcept;

    // Safe in a signal handler.
    void request() noexcept { count_.fetch_add(1, std::memory_order_relaxed); }
    int count() const noexcept { return count_.load(std::memory_order_relaxed); }
    // Whether some session runs a stretch that honours requests; outside one, a signal keeps
    // its ordinary effect. Safe in a signal handler.
    bool listening() const noexcept { return listeners_.load(std::memory_order_relaxed) > 0; }

private:
    friend class StopRequest;
    static_assert(std::atomic<int>::is_always_lock_free, "the signal handler needs a lock-free counter");
    std::atomic<int> count_{0};
    std::atomic<int> listeners_{0};
};

class StopRequest {
public:
    // Observes `source` from now on: requests made on it before do not count.
    explicit StopRequest(StopSource& source = StopSource::process()) noexcept
        : source_(source), seen_(source.count()) {}
    StopRequest(const StopRequest&) = delete;
    StopRequest& operator=(const StopRequest&) = delete;

    // A request for this session only. Safe in a signal handler.
    void request() noexcept { own_.fetch_add(1, std::memory_order_relaxed); }
    bool requested() const noexcept { return count() >= 1; }
    bool immediate() const noexcept { return count() >= 2; }
    // Forgets the requests so far, this session's and the source's, for the next run.
    void clear() noexcept;

    // Whether a run of this session honours requests now.
    bool listening() const noexcept { return listeners_.load(std::memory_order_relaxed) > 0; }
    // Whether a stretch that a first request must not cut is under way.
    bool critical() const noexcept { return criticalWarning_.load() != nullptr; }

    // Called from UserInterface::pump(): throws RunStopped once a stop at once is asked for,
    // and warns once when a first request falls on a stretch that must not be cut.
    void checkpoint(UserInterface& ui);

    // Marks a run that looks at the request between its exchanges.
    class Listening {
    public:
        explicit Listening(StopRequest& r) : r_(r) {
            r_.listeners_.fetch_add(1);
            r_.source_.listeners_.fetch_add(1);
        }
        ~Listening() {
            r_.source_.listeners_.fetch_sub(1);
            r_.listeners_.fetch_sub(1);
        }
        Listening(const Listening&) = delete;
        Listening& operator=(const Listening&) = delete;

    private:
        StopRequest& r_;
    };

    // Marks a stretch that a first request must not cut; `warning` (a text that outlives the
    // stretch) says why.
    class Critical {
    public:
        Critical(StopRequest& r, const char* warning) : r_(r), previous_(r.criticalWarning_.exchange(warning)) {}
        ~Critical() { r_.criticalWarning_.store(previous_); }
        Critical(const Critical&) = delete;
        Critical& operator=(const Critical&) = delete;

    private:
        StopRequest& r_;
        const char* previous_;
    };

private:
    int count() const noexcept {
        return own_.load(std::memory_order_relaxed) + source_.count() - seen_.load(std::memory_order_relaxed);
    }

    StopSource& source_;
    std::atomic<int> seen_;  // the source's count when this session last started afresh
    std::atomic<int> own_{0};
    std::atomic<int> listeners_{0};
    std::atomic<const char*> criticalWarning_{nullptr};  // null outside a critical stretch
    std::atomic<bool> warned_{false};
    std::atomic<bool> thrown_{false};
};

}  // namespace vela
