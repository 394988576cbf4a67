#include "platform/console_stops.h"

#include <atomic>
#include <thread>
#include <windows.h>

namespace vela::platform {
namespace {

std::atomic<ConsoleStops::Handler> current{nullptr};
// An event rather than std::binary_semaphore: the latter, as GCC 12 builds it for Windows, can
// miss the release made on the console's handler thread and wait for ever.
HANDLE stopped = CreateEventW(nullptr, FALSE, FALSE, nullptr);

bool isStop(DWORD event) {
    return event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT || event == CTRL_CLOSE_EVENT;
}

// Windows ends the process as soon as the handler of a closed console returns: wait there
// (Windows allows about five seconds) so that the run can stop as after Ctrl-C.
BOOL outlastClose(DWORD event) {
    if (event == CTRL_CLOSE_EVENT) std::this_thread::sleep_for(std::chrono::seconds(4));
    return TRUE;
}

// Runs on a thread of its own; FALSE passes the stop on, in the end to ExitProcess.
BOOL WINAPI onConsoleStop(DWORD event) {
    const ConsoleStops::Handler handler = current.load();
    if (!isStop(event) || !handler || !handler()) return FALSE;
    return outlastClose(event);
}

BOOL WINAPI onWaitedStop(DWORD event) {
    if (!isStop(event)) return FALSE;
    SetEvent(stopped);
    return outlastClose(event);
}

}  // namespace

ConsoleStops::ConsoleStops(Handler onStop) : previous_(current.exchange(onStop)) {
    if (!previous_) SetConsoleCtrlHandler(onConsoleStop, TRUE);
}

ConsoleStops::~ConsoleStops() {
    current = previous_;
    if (!previous_) SetConsoleCtrlHandler(onConsoleStop, FALSE);
}

// The handler added last is asked first, so a waiting program takes the stops for itself.
StopWait::StopWait() {
    ResetEvent(stopped);
    SetConsoleCtrlHandler(onWaitedStop, TRUE);
}

StopWait::~StopWait() { SetConsoleCtrlHandler(onWaitedStop, FALSE); }

void StopWait::wait() { WaitForSingleObject(stopped, INFINITE); }

bool sendConsoleStop() { return GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0) != 0; }

}  // namespace vela::platform
