#include "app/gui_main.h"

#include "app/application.h"
#include "app/gui_options.h"
#include "core/exit_codes.h"
#include "core/version.h"
#include "platform/desktop.h"
#include "platform/folders.h"
#include "platform/utf8_paths.h"

#include <QApplication>

#include <clocale>
#include <cstdio>
#include <stdexcept>

namespace vela::app {

int runGui(int argc, char** argv) {
    // A mistyped option is said as such, display or not.
    GuiOptions options;
    try {
        options = parseGuiOptions(Args::parse(argc, argv));
    } catch (const std::invalid_argument& e) {
        std::fprintf(stderr, "velaupdate: %s\n", e.what());
        return kExitUsage;
    }
    if (!platform::desktopAvailable()) {
        std::fprintf(stderr, "velaupdate: no display found (DISPLAY and WAYLAND_DISPLAY are not set); every "
                             "procedure also runs without one: velaupdate --help\n");
        return kExitUsage;
    }
    if (options.firmwareFile) {
        // A file named on the command line that cannot be used is said at once, not at Update.
        const FirmwareChoice firmware = chooseFirmware(platform::pathFromUtf8(*options.firmwareFile), true, true);
        if (!firmware.image) {
            std::fprintf(stderr, "velaupdate: %s\n", firmware.refusal.c_str());
            return kExitBadInput;
        }
    }
    platform::provideRuntimeDirectory();
    QApplication app(argc, argv);
    QApplication::setApplicationName("VELAupdate");
    QApplication::setApplicationVersion(kVersionNumber);
    // Numbers the C library prints keep "." whatever the desktop's locale.
    std::setlocale(LC_NUMERIC, "C");
    // The connection window is the main window: the program ends when it closes, not when
    // the last window happens to be hidden.
    QApplication::setQuitOnLastWindowClosed(false);
    Application application(std::move(options));
    return QApplication::exec();
}

}  // namespace vela::app
