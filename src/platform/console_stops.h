#pragma once
// Stops asked for at the console: Ctrl-C, SIGTERM and a closed terminal (SIGHUP) on Linux;
// Ctrl-C, Ctrl-Break and a closed console window on Windows.

namespace vela::platform {

// While one lives, each stop calls `onStop`, in a signal handler or on a thread of its own, so
// it may only touch atomics. When it returns false (nobody wants the stop) the stop has its
// ordinary effect: the program ends. No question waiting at the terminal survives a stop.
class ConsoleStops {
public:
    using Handler = bool (*)();
    explicit ConsoleStops(Handler onStop);
    ~ConsoleStops();
    ConsoleStops(const ConsoleStops&) = delete;
    ConsoleStops& operator=(const ConsoleStops&) = delete;

private:
    Handler previous_;
};

// Waits for a stop at the console, for a program that only serves until then. Make it before
// any thread starts: on Linux the stops then reach no other thread than the waiting one.
class StopWait {
public:
    StopWait();
    ~StopWait();
    StopWait(const StopWait&) = delete;
    StopWait& operator=(const StopWait&) = delete;

    void wait();
};

// Does what Ctrl-C at the console does, for the tests of the above; the stop may arrive after
// this returns. False when there is no console to send it (on Windows a program started
// without a terminal has none).
bool sendConsoleStop();

}  // namespace vela::platform
