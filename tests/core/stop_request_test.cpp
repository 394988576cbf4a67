#include "core/interrupts.h"
#include "core/stop_request.h"
#include "platform/console_stops.h"
#include "support/scripted_ui.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace vela {
namespace {

using test::ScriptedUi;

// A session's run: pumps between its exchanges until a stop at once ends it.
struct RunningSession {
    ScriptedUi ui;
    std::atomic<bool> sawFirstRequest{false};
    std::atomic<bool> stoppedAtOnce{false};
    std::thread thread;

    void start() {
        thread = std::thread([this] {
            try {
                for (;;) {
                    ui.pump();
                    if (ui.stop.requested()) sawFirstRequest = true;
                    std::this_thread::yield();
                }
            } catch (const RunStopped&) {
                stoppedAtOnce = true;
            }
        });
    }
};

void waitFor(const std::atomic<bool>& flag) {
    while (!flag) std::this_thread::yield();
}

TEST(StopSignal, OneSignalReachesEverySessionAndASecondStopsThemAtOnce) {
    const InterruptRequests interrupts;
    RunningSession a, b;
    {
        const StopRequest::Listening listeningA(a.ui.stop), listeningB(b.ui.stop);
        a.start();
        b.start();
        ASSERT_TRUE(platform::sendConsoleStop());
        waitFor(a.sawFirstRequest);
        waitFor(b.sawFirstRequest);
        EXPECT_FALSE(a.stoppedAtOnce || b.stoppedAtOnce);  // the exchanges under way go on
        ASSERT_TRUE(platform::sendConsoleStop());
        a.thread.join();
        b.thread.join();
    }
    EXPECT_TRUE(a.stoppedAtOnce);
    EXPECT_TRUE(b.stoppedAtOnce);

    // A session started afterwards does not inherit them; one that starts afresh forgets them.
    const ScriptedUi later;
    EXPECT_FALSE(later.stop.requested());
    a.ui.stop.clear();
    EXPECT_FALSE(a.ui.stop.requested());
    EXPECT_TRUE(b.ui.stop.immediate());
}

// sim serves until Ctrl-C: the stop is the wait's, even where no session listens and a stop
// would otherwise end the program.
TEST(StopSignal, AWaitingProgramTakesTheStopForItself) {
    const InterruptRequests interrupts;
    platform::StopWait stop;
    std::atomic<bool> stopped{false};
    std::thread serving([&stopped] {
        while (!stopped) std::this_thread::yield();
    });
    ASSERT_TRUE(platform::sendConsoleStop());
    stop.wait();
    stopped = true;
    serving.join();
}

TEST(StopSignal, ACancelStopsItsOwnSessionOnly) {
    StopSource source;
    StopRequest a(source), b(source);
    a.request();
    EXPECT_TRUE(a.requested());
    EXPECT_FALSE(b.requested());
    source.request();
    EXPECT_TRUE(a.immediate());
    EXPECT_TRUE(b.requested());
    EXPECT_FALSE(b.immediate());

    // The source listens while any session does.
    EXPECT_FALSE(source.listening());
    {
        const StopRequest::Listening listening(b);
        EXPECT_TRUE(source.listening());
        EXPECT_TRUE(b.listening());
        EXPECT_FALSE(a.listening());
    }
    EXPECT_FALSE(source.listening());
}

TEST(StopSignal, RequestsFromManyThreadsAreCountedAndStopTheRunOnce) {
    StopSource source;
    StopRequest stop(source);
    ScriptedUi ui;  // touched by the run's thread only
    int thrown = 0;
    std::atomic<bool> requestsDone{false};
    std::thread run([&] {
        const char* warning = "Stopping now can leave the unit blocked.";
        // Goes on for a while after the last request.
        for (int after = 0; after < 100; after += requestsDone ? 1 : 0) {
            const StopRequest::Critical critical(stop, warning);
            try {
                stop.checkpoint(ui);
            } catch (const RunStopped&) {
                ++thrown;
            }
        }
    });
    std::vector<std::thread> requesters;
    for (int t = 0; t < 4; ++t)
        requesters.emplace_back([&, t] {
            for (int i = 0; i < 1000; ++i) {
                t % 2 ? stop.request() : source.request();
                (void)stop.immediate();
                (void)stop.critical();
            }
        });
    for (auto& t : requesters) t.join();
    requestsDone = true;
    run.join();
    EXPECT_TRUE(stop.immediate());
    EXPECT_EQ(thrown, 1);
    EXPECT_LE(ui.messages.size(), 1u);
    EXPECT_FALSE(stop.critical());
}

}  // namespace
}  // namespace vela
