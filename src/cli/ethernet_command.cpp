// velaupdate ethernet scan|set-ip|set-name|identify|connect: the Ethernet module window's
// procedures from the command line.

#include "cli/commands.h"
#include "core/exit_codes.h"
#include "cli/json.h"
#include "cli/module_options.h"
#include "cli/session_factory.h"
#include "core/text_display.h"
#include "ethernet/ethernet_module_window.h"
#include "session/module_operations.h"
#include "session/operations.h"

#include <stdexcept>

namespace vela::cli {
namespace {

struct EthernetOptions {
    EthernetModuleSettings settings;
    std::optional<std::string> model;
};

std::string required(const Context& ctx, const char* option, const char* sub) {
    const auto v = ctx.args.value(option);
    if (!v || v->empty()) throw std::invalid_argument(std::string("ethernet ") + sub + " needs --" + option);
    return *v;
}

std::string ipv4Option(const Context& ctx, const char* option, const char* sub) {
    const std::string v = required(ctx, option, sub);
    if (!isDottedIPv4(v))
        throw std::invalid_argument(std::string("--") + option + ": not an IPv4 address: " + v);
    return v;
}

EthernetOptions parseOptions(const Context& ctx) {
    EthernetOptions o;
    o.settings.udpPort = portOption(ctx, "port", kModuleUdpPort);
    o.settings.tcpPort = portOption(ctx, "tcp-port", kEthernetTcpPort);
    o.settings.broadcast = broadcastOption(ctx);
    o.model = moduleModelOption(ctx);
    // A change ends with a new scan only when there is a model to list.
    o.settings.rescanAfterChange = o.model.has_value();
    return o;
}

void printDevices(const Context& ctx, const EthernetModuleState& state) {
    if (ctx.args.flag("json")) {
        JsonWriter j(ctx.out);
        j.beginArray();
        for (const auto& d : state.table.devices()) {
            j.beginObject();
            j.field("IP", unitText(d.IP));
            j.field("Name", unitText(d.Name));
            j.field("Model", unitText(d.Model));
            j.field("DeviceId", unitText(d.DeviceId));
            j.endObject();
        }
        j.endArray();
        j.finish();
    } else {
        for (const auto& d : state.table.devices())
            ctx.out.print("%-15s  %-8s  %-6s  %s\n", unitText(d.IP).c_str(), unitText(d.Name).c_str(),
                          unitText(d.Model).c_str(), unitText(d.DeviceId).c_str());
    }
    if (state.table.dropped() > 0)
        ctx.ui.warning(std::to_string(state.table.dropped()) +
                       " more modules answered than the list holds (" + std::to_string(kDeviceTableSize) +
                       "); they are not listed");
}

int exitOf(ChangeResult r) {
    return r == ChangeResult::Changed ? kExitOk : kExitLinkFailed;
}
int exitOf(OperationResult r) {
    return r == OperationResult::Done ? kExitOk : kExitLinkFailed;
}

} // namespace

int runEthernet(Context& ctx) {
    if (ctx.args.positional.empty())
        throw std::invalid_argument(
            "ethernet needs a subcommand: scan, set-ip, set-name, identify or connect");
    const std::string sub = ctx.args.positional.front();
    if (sub != "scan" && sub != "set-ip" && sub != "set-name" && sub != "identify" && sub != "connect")
        throw std::invalid_argument("unknown ethernet subcommand '" + sub + "' (velaupdate ethernet --help)");
    EthernetOptions o = parseOptions(ctx);
    if (sub == "scan" && !o.model) throw std::invalid_argument("ethernet scan needs --model");

    auto session = openSession(ctx);
    ModuleAccess modules(*session, o.settings);
    if (!modules.ready()) {
        ctx.ui.error("Cannot open a UDP socket: " + modules.errorText());
        return kExitLinkFailed;
    }
    EthernetModuleWindow& window = modules.window();
    EthernetModuleState& state = session->ethernetModule;
    if (o.model) state.view.modelText = *o.model;

    if (sub == "scan") {
        const int code = exitOf(scanForModules(*session, modules, *o.model));
        printDevices(ctx, state);
        return code;
    }
    if (sub == "set-ip") {
        const std::string id = required(ctx, "id", "set-ip");
        const auto address = validModuleAddress(required(ctx, "ip", "set-ip"));
        if (!address)
            throw std::invalid_argument("--ip: the module takes A.B.C.D with A, B, C 0..255 and D 1..254");
        if (!window.findBroadcastAddress()) return kExitLinkFailed;
        window.chooseModule({"", "", o.model.value_or(""), id});
        std::array<std::string, 4> ip;
        for (std::size_t i = 0, start = 0; i < 4; ++i) {
            const auto dot = address->find('.', start);
            ip[i] = address->substr(start, dot - start);
            start = dot + 1;
        }
        const int code = exitOf(changeModuleIp(*session, modules, ip));
        if (o.model) printDevices(ctx, state);
        return code;
    }
    const std::string ip = ipv4Option(ctx, "ip", sub.c_str());
    if (sub == "set-name") {
        const std::string wanted = required(ctx, "name", "set-name");
        const auto name = validHostName(wanted);
        if (!name) throw std::invalid_argument("--name: 1 to 8 printable ASCII characters: " + wanted);
        window.chooseModule({ip, "", o.model.value_or(""), ""});
        const int code = exitOf(changeModuleName(*session, modules, *name));
        if (o.model) printDevices(ctx, state);
        return code;
    }
    if (sub == "identify") {
        window.chooseModule({ip, "", "", ""});
        return exitOf(identifyModule(*session, modules));
    }
    // connect: the connection window's Ethernet choice, then the module window's Connect.
    const StopRequest::Listening listening(ctx.ui.stop);
    if (connectEthernet(*session) != OperationResult::Done) return kExitLinkFailed;
    // The model a scan would have been made for picks the library that the connect opens.
    if (o.model) window.selectLibraryModel(*o.model);
    window.chooseModule({ip, ctx.args.value("name", ip), o.model.value_or(""), ""});
    if (connectToModule(*session, modules) != OperationResult::Done) return kExitLinkFailed;
    // What the library window holds now: a library that could not be read holds no programs.
    const bool libraryOpened = session->libraryWindow.selectedRow >= 0;
    const std::string library = displayText(session->libraryForm.openedFile);
    const int programs = session->libraryForm.buffer[0];
    if (ctx.args.flag("json")) {
        JsonWriter j(ctx.out);
        j.beginObject();
        j.field("IP", ip);
        j.field("Name", displayText(state.chosen->Name));
        j.field("status", displayText(state.view.statusB));
        if (libraryOpened) {
            j.field("Library", library);
            j.field("Programs", programs);
        }
        j.endObject();
        j.finish();
    } else if (libraryOpened) {
        ctx.out.print("Library %s: %d programs\n", library.c_str(), programs);
    }
    return kExitOk;
}

} // namespace vela::cli
