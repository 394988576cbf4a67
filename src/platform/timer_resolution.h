#pragma once
// While one lives, sleeps and timed waits wake within a millisecond or less of their time: on
// Windows those of the whole process (its default 15.6 ms tick would stretch every real-time
// frame, about 1.7 ms on the wire, ninefold); on Linux those of the thread that made it, whose
// timer slack it takes down to a microsecond.

namespace vela::platform {

class TimerResolution {
public:
    TimerResolution();
    ~TimerResolution();
    TimerResolution(const TimerResolution&) = delete;
    TimerResolution& operator=(const TimerResolution&) = delete;
};

}  // namespace vela::platform
