#include "cli/cli_main.h"

#include "cli/cli_application.h"
#include "cli/commands.h"
#include "cli/exit_codes.h"
#include "link/ethernet_channel.h"

#include <QCoreApplication>

#include <cstdio>
#include <stdexcept>

namespace vela::cli {
namespace {

constexpr const char* kVersion = "VELAupdate 1.9.0";

constexpr const char* kGlobalHelp =
    "Global options:\n"
    "  --usb[=DEVICE]          the unit on the FTDI USB-serial bridge (default; DEVICE: a tty path)\n"
    "  --serial[=PORT]         the unit on a serial port (default: the machine's first)\n"
    "  --ethernet=HOST[:PORT]  the unit's Ethernet module over TCP (port 1001 by default)\n"
    "  --sim                   the built-in simulated unit, in this process\n"
    "  --offline               no unit\n"
    "  --yes                   answer Yes/OK to every question\n"
    "  --quiet                 show only errors\n"
    "  --help, --version\n"
    "Exit codes: 0 success, 1 the unit, link or network failed, 2 usage error, 3 bad input file,\n"
    "4 the user declined a question.\n";

void printUsage(std::FILE* f) {
    std::fprintf(f, "usage: velaupdate [options] COMMAND [arguments]\n"
                    "With no command, velaupdate opens its window.\n\nCommands:\n");
    for (const auto& c : commands()) std::fprintf(f, "  %-14s %s\n", c.name, c.summary);
    std::fprintf(f, "\n%s", kGlobalHelp);
}

const Command* find(const std::string& name) {
    for (const auto& c : commands())
        if (name == c.name) return &c;
    return nullptr;
}

}  // namespace

int runCli(int argc, char** argv) {
    // Sockets and serial ports want an application object; no window is opened.
    const auto app = makeCliApplication(argc, argv);
    Args args;
    try {
        args = Args::parse(argc, argv);
    } catch (const std::invalid_argument& e) {
        std::fprintf(stderr, "velaupdate: %s\n", e.what());
        return kExitUsage;
    }
    if (args.flag("version")) {
        std::printf("%s\n", kVersion);
        return kExitOk;
    }
    if (args.positional.empty()) {
        printUsage(args.flag("help") ? stdout : stderr);
        return args.flag("help") ? kExitOk : kExitUsage;
    }
    const std::string name = args.positional.front();
    const Command* command = find(name);
    if (!command) {
        std::fprintf(stderr, "velaupdate: unknown command '%s' (velaupdate --help lists them)\n", name.c_str());
        return kExitUsage;
    }
    if (args.flag("help")) {
        std::printf("%s\n%s", command->help, kGlobalHelp);
        return kExitOk;
    }
    std::set<std::string> known = command->options;
    known.insert(linkOptionNames().begin(), linkOptionNames().end());
    known.insert({"yes", "quiet", "help", "version"});
    if (const auto bad = args.unknown(known); !bad.empty()) {
        std::fprintf(stderr, "velaupdate %s: unknown option %s (see velaupdate %s --help)\n", name.c_str(),
                     bad.front().c_str(), name.c_str());
        return kExitUsage;
    }
    args.positional.erase(args.positional.begin());

    TerminalUi ui({args.flag("yes"), args.flag("quiet"), isInteractiveTerminal()});
    try {
        Context ctx{args, ui, parseLinkOptions(args)};
        const int code = command->run(ctx);
        ui.finishProgress();
        return code;
    } catch (const std::invalid_argument& e) {
        ui.finishProgress();
        std::fprintf(stderr, "velaupdate %s: %s\n", name.c_str(), e.what());
        return kExitUsage;
    } catch (const LinkAbandoned& e) {
        ui.finishProgress();
        std::fprintf(stderr, "velaupdate %s: %s\n", name.c_str(), e.what());
        return kExitLinkFailed;
    }
}

}  // namespace vela::cli
