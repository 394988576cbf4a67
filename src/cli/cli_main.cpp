#include "cli/cli_main.h"

#include "core/version.h"

#include "cli/cli_application.h"
#include "cli/commands.h"
#include "cli/counted_output.h"
#include "core/exit_codes.h"
#include "session/run_log_setup.h"
#include "core/interrupts.h"
#include "cli/json.h"
#include "link/ethernet_channel.h"
#include "platform/console.h"
#include "platform/folders.h"

#include <QCoreApplication>

#include <clocale>
#include <cstdio>
#include <stdexcept>
#include <string_view>
#include <utility>

namespace vela::cli {
namespace {

constexpr const char* kVersion = kVersionLine;

constexpr const char* kGlobalHelp =
    "Global options:\n"
    "  --usb [DEVICE]          the unit on the FTDI USB-serial bridge (default; DEVICE: a tty path)\n"
    "  --serial [PORT]         the unit on a serial port (default: the machine's first)\n"
    "  --ethernet HOST[:PORT]  the unit's Ethernet module over TCP (port 1001 by default)\n"
    "  --sim                   the built-in simulated unit, in this process\n"
    "  --offline               no unit\n"
    "  --yes                   answer Yes/OK to every question\n"
    "  --quiet                 show only errors\n"
    "  --verbose               show every step of every exchange with the unit (without a\n"
    "                          terminal the default is one line per memory and per phase)\n"
    "  --log FILE              log the run in FILE; by default each run is logged in\n"
    "                          {state}, the last\n"
    "                          20 runs kept\n"
    "  -h, --help, help [COMMAND], --version\n"
    "An option's value follows it after \"=\" or as the next word.\n"
    "Ctrl-C, SIGTERM or a closed terminal during a command that talks to the unit let the exchange\n"
    "in progress finish, then stop and say what was done; a second one stops at once.\n"
    "Exit codes: 0 success, 1 the unit, link or network failed, 2 usage error, 3 bad input file,\n"
    "4 the user declined a question.\n";

// Options every command takes besides its own.
const std::set<std::string> kGlobalOptions = {"yes", "quiet", "verbose", "log", "help", "version"};

// The help with the folders of this system where it names {state}, {backups} and {settings}.
std::string withFolderNames(std::string help) {
    const auto& names = platform::folderNames();
    for (const auto& [mark, name] : {std::pair{"{state}", names.state}, std::pair{"{backups}", names.backups},
                                     std::pair{"{settings}", names.settings}})
        for (auto at = help.find(mark); at != std::string::npos; at = help.find(mark, at))
            help.replace(at, std::string_view(mark).size(), name);
    return help;
}

void printUsage(std::FILE* f) {
    std::fprintf(f, "usage: velaupdate [options] COMMAND [arguments]\n"
                    "With no command, velaupdate opens its window.\n\nCommands:\n");
    for (const auto& c : commands()) std::fprintf(f, "  %-14s %s\n", c.name, c.summary);
    std::fprintf(f, "\n%s", withFolderNames(kGlobalHelp).c_str());
}

const Command* find(const std::string& name) {
    for (const auto& c : commands())
        if (name == c.name) return &c;
    return nullptr;
}

int unknownCommand(const std::string& name) {
    std::fprintf(stderr, "velaupdate: unknown command '%s' (velaupdate --help lists them)\n", name.c_str());
    return kExitUsage;
}

void printCommandHelp(const Command& command) {
    std::printf("%s\nGlobal options (--usb, --serial, --ethernet, --sim, --yes, --verbose, --log ...): "
                "velaupdate --help\n",
                withFolderNames(command.help).c_str());
}

// "velaupdate help [COMMAND]".
int runHelp(const Args& args) {
    if (args.positional.size() < 2) {
        printUsage(stdout);
        return kExitOk;
    }
    const Command* command = find(args.positional[1]);
    if (!command) return unknownCommand(args.positional[1]);
    printCommandHelp(*command);
    return kExitOk;
}

// Runs the command with its terminal and its run log; the exit code.
int runCommand(const Command& command, Args& args, int argc, char** argv) {
    TerminalUi ui({args.flag("yes"), args.flag("quiet"), isInteractiveTerminal(), args.flag("verbose")});
    const InterruptRequests interrupts;
    CountedOutput out(stdout);
    RunLog log;
    std::string error;
    const auto outcome = [&](int code) {
        ui.finishProgress();
        // A failed --json command that printed nothing still gives one JSON document.
        if (code != kExitOk && args.flag("json") && out.written() == 0)
            writeJsonError(out, error.empty() ? ui.lastError() : error, code);
        finishRunLog(log, code);
        return code;
    };
    const auto failed = [&](const char* what, int code) {
        error = what;
        ui.finishProgress();
        std::fprintf(stderr, "velaupdate %s: %s\n", command.name, what);
        log.note("error", what);
        return outcome(code);
    };
    try {
        Context ctx{args, ui, parseLinkOptions(args), out, &log};
        startRunLog(log, args, argc, argv, ctx.link);
        log.note("version", kVersion);
        if (log.isOpen()) ui.setRunLog(&log);
        return outcome(command.run(ctx));
    } catch (const std::invalid_argument& e) {
        return failed(e.what(), kExitUsage);
    } catch (const LinkAbandoned& e) {
        // The link's error message, which names the module and the reason, was the report.
        error = e.what();
        log.note("error", e.what());
        return outcome(kExitLinkFailed);
    } catch (const RunStopped&) {
        return failed("stopped at once", kExitLinkFailed);
    }
}

}  // namespace

int runCli(int argc, char** argv) {
    // Names from units and files, and the unit's own texts, are UTF-8.
    platform::useUtf8Console();
    // Sockets and serial ports want an application object; no window is opened.
    const auto app = makeCliApplication(argc, argv);
    // The application object takes the user's locale; numbers printed by the C library must keep
    // "." as their decimal separator whatever it is.
    std::setlocale(LC_NUMERIC, "C");
    Args args = Args::parse(argc, argv);
    if (args.flag("version")) {
        std::printf("%s\n", kVersion);
        return kExitOk;
    }
    if (!args.positional.empty() && args.positional.front() == "help") return runHelp(args);
    if (args.positional.empty()) {
        if (args.flag("help")) {
            printUsage(stdout);
            return kExitOk;
        }
        std::set<std::string> known = kGlobalOptions;
        known.insert(linkOptionNames().begin(), linkOptionNames().end());
        if (const auto bad = args.unknown(known); !bad.empty())
            std::fprintf(stderr, "velaupdate: unknown option %s (see velaupdate --help)\n", bad.front().c_str());
        else
            std::fprintf(stderr, "velaupdate: no command given (velaupdate --help lists them)\n");
        return kExitUsage;
    }
    const std::string name = args.positional.front();
    const Command* command = find(name);
    if (!command) return unknownCommand(name);
    if (args.flag("help")) {
        printCommandHelp(*command);
        return kExitOk;
    }
    std::set<std::string> known = command->options;
    known.insert(linkOptionNames().begin(), linkOptionNames().end());
    known.insert(kGlobalOptions.begin(), kGlobalOptions.end());
    if (const auto bad = args.unknown(known); !bad.empty()) {
        std::fprintf(stderr, "velaupdate %s: unknown option %s (see velaupdate %s --help)\n", name.c_str(),
                     bad.front().c_str(), name.c_str());
        return kExitUsage;
    }
    if (const auto& missing = args.missingValue()) {
        std::fprintf(stderr, "velaupdate %s: option %s needs a value (see velaupdate %s --help)\n", name.c_str(),
                     missing->c_str(), name.c_str());
        return kExitUsage;
    }
    args.positional.erase(args.positional.begin());
    return runCommand(*command, args, argc, argv);
}

}  // namespace vela::cli
