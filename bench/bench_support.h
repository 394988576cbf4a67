#pragma once
// What the benchmarks share: a user interface that pumps the event queue as the command line
// does, shows nothing and answers Yes; and a USB bridge that leads to a pseudo-terminal.

#include "core/user_interface.h"
#include "link/device_link.h"
#include "link/tty_port.h"

#include <QCoreApplication>

#include <memory>
#include <string>

namespace vela::bench {

class QuietUi : public GaugeKeeper {
public:
    Answer message(MessageKind, Buttons, std::string_view) override { return Answer::Yes; }
    void status(StatusField, std::string_view) override {}
    void showTransferWindow() override {}
    void closeTransferWindow() override {}
    void beep() override {}
    void pump() override { QCoreApplication::processEvents(); }
};

// Devices whose USB bridge is the tty at `path` (the simulated unit's pseudo-terminal).
inline LinkDevices usbDevicesAt(const std::string& path) {
    LinkDevices devices;
    devices.usb = [path](int) -> std::unique_ptr<ByteChannel> { return std::make_unique<TtyPort>(path); };
    return devices;
}

}  // namespace vela::bench
