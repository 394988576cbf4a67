#include "session/run_log_setup.h"

#include "core/exit_codes.h"
#include "link/port_discovery.h"
#include "platform/utf8_paths.h"

#include <cstdio>

namespace vela {
namespace {

// The bridge a USB run talks to: the named tty, else the first FTDI bridge.
std::string usbDevice(const LinkOptions& link) {
    const auto bridges = link.usbDevice.empty() ? ftdiBridges() : availablePorts();
    for (const PortInfo& p : bridges) {
        if (!link.usbDevice.empty() && p.path != portName(link.usbDevice)) continue;
        std::string text = p.path;
        if (!p.description.empty()) text += " (" + p.description + ")";
        if (!p.serialNumber.empty()) text += ", serial number " + p.serialNumber;
        return text;
    }
    return link.usbDevice.empty() ? "no FTDI bridge found" : link.usbDevice;
}

const char* outcomeText(int code) {
    switch (code) {
    case kExitOk: return "success";
    case kExitLinkFailed: return "the unit, the link or the network failed";
    case kExitUsage: return "usage error";
    case kExitBadInput: return "bad input file";
    case kExitDeclined: return "declined";
    default: return "failed";
    }
}

}  // namespace

std::string describeLink(const LinkOptions& link) {
    std::string text;
    switch (link.kind) {
    case LinkKind::USB: text = "USB, " + (link.sim ? std::string("the simulated bridge") : usbDevice(link)); break;
    case LinkKind::COM1:
    case LinkKind::COM2:
        text = "serial port " + (link.serialPort.empty() ? std::string("(the first)") : link.serialPort);
        break;
    case LinkKind::Ethernet: text = "Ethernet, " + link.host + ":" + std::to_string(link.tcpPort); break;
    case LinkKind::Offline: text = "offline"; break;
    }
    if (link.sim) text += "; the simulated unit in this process";
    return text;
}

void startRunLog(RunLog& log, const Args& args, int argc, char** argv, const LinkOptions& link) {
    const auto named = args.value("log");
    if (named) {
        if (!log.open(platform::pathFromUtf8(*named)))
            std::fprintf(stderr, "velaupdate: cannot write the log: %s\n", log.errorText().c_str());
    } else {
        log.openNewRun();
    }
    if (!log.isOpen()) return;
    std::string command = "velaupdate";
    // A log goes to support staff: the unit's password does not.
    for (int i = 1; i < argc; ++i)
        command += " " + (std::string(argv[i - 1]) == "password" ? std::string("(password)") : std::string(argv[i]));
    log.note("command", command);
    log.note("link", describeLink(link));
}

void finishRunLog(RunLog& log, int exitCode) {
    log.note("outcome", "exit code " + std::to_string(exitCode) + " (" + outcomeText(exitCode) + ")");
}

}  // namespace vela
