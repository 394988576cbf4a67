#include "app/gui_options.h"

#include <set>
#include <stdexcept>

namespace vela::app {
namespace {

std::uint16_t portValue(const Args& args, const std::string& name) {
    const long port = parseInteger(*args.value(name), "--" + name);
    if (port < 1 || port > 65535) throw std::invalid_argument("--" + name + " must be 1..65535");
    return static_cast<std::uint16_t>(port);
}

}  // namespace

GuiOptions parseGuiOptions(const Args& args) {
    std::set<std::string> known = linkOptionNames();
    known.insert({"firmware", "force", "service", "broadcast", "port", "tcp-port", "quiet", "yes", "log"});
    if (const auto bad = args.unknown(known); !bad.empty())
        throw std::invalid_argument("unknown option " + bad.front() + " (see velaupdate --help)");
    GuiOptions o;
    o.link = parseLinkOptions(args);
    o.firmwareFile = args.value("firmware");
    o.force = args.flag("force");
    o.service = args.flag("service");
    o.broadcast = args.value("broadcast");
    o.logFile = args.value("log");
    if (o.logFile && o.logFile->empty()) throw std::invalid_argument("--log needs a file name");
    if (args.has("port")) o.udpPort = portValue(args, "port");
    if (args.has("tcp-port")) o.tcpPort = portValue(args, "tcp-port");
    // Other words are the command line's own: it is not the window that reads them.
    if (!args.positional.empty() && args.positional.front() == "designer") {
        if (args.positional.size() > 2) throw std::invalid_argument("usage: velaupdate designer [FILE.hdp]");
        o.designer = true;
        if (args.positional.size() == 2) o.designerFile = args.positional[1];
    }
    return o;
}

bool opensWindow(int argc, char** argv) {
    try {
        const Args args = Args::parse(argc, argv);
        const bool window = args.positional.empty() || args.positional.front() == "designer";
        return window && !args.flag("help") && !args.flag("version");
    } catch (const std::invalid_argument&) {
        return false;  // the command line says what is wrong
    }
}

}  // namespace vela::app
