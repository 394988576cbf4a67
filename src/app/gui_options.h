#pragma once
// What the command line gives the window: the link behind the USB button, the Ethernet
// window's addresses, the operating system to send and whether the service window shows.

#include "core/args.h"
#include "session/link_options.h"

#include <cstdint>
#include <optional>
#include <string>

namespace vela::app {

struct GuiOptions {
    LinkOptions link;                    // --usb=DEVICE, --sim, --ethernet=HOST[:PORT]
    std::optional<std::string> firmwareFile;  // --firmware FILE, as for load-all
    bool force = false;                       // --force: the built-in stand-in may go to a real unit
    bool service = false;                     // --service shows the processor control window
    std::optional<std::string> broadcast;     // the Ethernet window's scan address
    std::optional<std::uint16_t> udpPort;     // --port: the modules' UDP port
    std::optional<std::uint16_t> tcpPort;     // --tcp-port: the modules' TCP port
    std::optional<std::string> logFile;       // --log FILE: the run's log, instead of a new file
    bool designer = false;                    // `designer [FILE]`: the preset designer is the window
    std::optional<std::string> designerFile;  // the preset it opens; New's defaults without one
};

// Throws std::invalid_argument on an option the window does not take or a malformed value.
GuiOptions parseGuiOptions(const Args& args);

// True when these arguments open a window: no command or `designer`, no --help or --version.
bool opensWindow(int argc, char** argv);

}  // namespace vela::app
