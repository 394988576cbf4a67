#pragma once
// One session: every process-wide record, owned in one place and passed by reference, so
// that several sessions can live side by side (the tests run many).

#include "core/session_state.h"
#include "core/user_interface.h"
#include "ethernet/ethernet_module_state.h"
#include "library/library_window.h"
#include "link/device_link.h"
#include "library/library_window_state.h"
#include "link/realtime.h"
#include "link/realtime_queue.h"
#include "link/receive_program.h"
#include "preset/preset_parameters.h"
#include "session/connection_windows.h"

#include <cstdint>
#include <string>

namespace vela {

class Session {
public:
    Session(UserInterface& ui, LinkDevices devices);
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Set before anything else; every filter, delay and dynamics computation reads it.
    std::int32_t SampleRate = kSampleRate;
    SessionState state;
    UserInterface& ui;
    ProgramImage programImage{};
    DeviceLink link;
    // The program read back from the unit last.
    ReceivedImage receivedImage{};
    RealTimeSender realTime{link};
    // The editors' real-time changes wait here for the link's thread (sendWaitingFrames).
    RealTimeQueue realTimeQueue;
    LibraryWindowState libraryWindow;
    ConnectionWindows windows;
    // The Ethernet module window's device table, broadcast address and controls.
    EthernetModuleState ethernetModule;
    // The current preset; its procedures queue their real-time frames in realTimeQueue.
    PresetParameters preset;
    // What the last unit command did, for the processor window ("Memory 5 written").
    std::string commandOutcome;
    // Why real-time mode last ended by itself (a lost link, another preset), and how many
    // times it has, so that the windows say each ending once.
    std::string realTimeEnded;
    unsigned realTimeEndings = 0;
    // The library window: the open library, its program names and the load-all run.
    LibraryWindow libraryForm{state, link, programImage, libraryWindow, ui};
};

}  // namespace vela
