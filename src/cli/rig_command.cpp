// velaupdate rig: the whole rig at once. The subcommands each live in a file of their own;
// this table is where they meet. rig scan is here, rig load in rig_load_command.cpp.

#include "cli/commands.h"
#include "cli/json.h"
#include "cli/rig_cabinets.h"
#include "core/exit_codes.h"
#include "core/text_display.h"
#include "session/cabinet_identity.h"

#include <algorithm>
#include <stdexcept>

namespace vela::cli {

int runRigScan(Context& ctx);

namespace {

struct RigSubcommand {
    const char* name;
    int (*run)(Context&);
};

constexpr RigSubcommand kRigSubcommands[] = {
    {"scan", runRigScan},
    {"load", runRigLoad},
};

struct Cabinet {
    FoundModule module;
    CabinetIdentity identity;
};

void printCabinets(const Context& ctx, const std::vector<Cabinet>& cabinets) {
    if (ctx.args.flag("json")) {
        JsonWriter j(ctx.out);
        j.beginArray();
        for (const auto& c : cabinets) {
            const auto& d = c.module.device;
            const bool read = c.identity.kind != CabinetIdentity::Kind::Unread;
            j.beginObject();
            j.field("Name", unitText(d.Name));
            j.field("IP", unitText(d.IP));
            j.field("DeviceId", unitText(d.DeviceId));
            j.field("ModuleModel", unitText(d.Model));
            j.key("Model");
            if (read) j.value(describe(c.identity)); else j.null();
            j.key("ModelCode");
            if (c.identity.modelCode >= 0)
                j.value(c.identity.modelCode);
            else
                j.null();
            j.field("Locked", c.identity.locked);
            if (!read) j.field("Reason", displayText(c.identity.reason));
            j.endObject();
        }
        j.endArray();
        j.finish();
        return;
    }
    ctx.out.print("%-8s  %-15s  %-12s  %-8s  %-6s  %s\n", "NAME", "IP", "DEVICE ID", "MODULE", "LOCK", "UNIT");
    for (const auto& c : cabinets) {
        const auto& d = c.module.device;
        const bool read = c.identity.kind != CabinetIdentity::Kind::Unread;
        ctx.out.print("%-8s  %-15s  %-12s  %-8s  %-6s  %s\n", unitText(d.Name).c_str(), unitText(d.IP).c_str(),
                      unitText(d.DeviceId).c_str(), unitText(d.Model).c_str(),
                      !read ? "-" : c.identity.locked ? "locked" : "free",
                      (read ? describe(c.identity) : "not read: " + displayText(c.identity.reason)).c_str());
    }
}

}  // namespace

int runRigScan(Context& ctx) {
    if (ctx.args.positional.size() > 1) throw std::invalid_argument("rig scan takes no argument: " + ctx.args.positional[1]);
    const auto found = findCabinets(ctx, rigScanOptions(ctx));
    if (!found) return kExitLinkFailed;
    const auto identities = identifyCabinets(*found);
    std::vector<Cabinet> cabinets;
    for (std::size_t i = 0; i < found->size(); ++i) cabinets.push_back({(*found)[i], identities[i]});
    printCabinets(ctx, cabinets);
    if (cabinets.empty()) {
        ctx.ui.error("No Devices Found");
        return kExitLinkFailed;
    }
    const bool allRead = std::all_of(cabinets.begin(), cabinets.end(),
                                     [](const Cabinet& c) { return c.identity.kind != CabinetIdentity::Kind::Unread; });
    return allRead ? kExitOk : kExitLinkFailed;
}

int runRig(Context& ctx) {
    const std::string sub = ctx.args.positional.empty() ? std::string() : ctx.args.positional.front();
    for (const auto& s : kRigSubcommands)
        if (sub == s.name) return s.run(ctx);
    std::string names;
    for (const auto& s : kRigSubcommands) names += std::string(names.empty() ? "" : ", ") + s.name;
    if (sub.empty()) throw std::invalid_argument("rig needs a subcommand: " + names);
    throw std::invalid_argument("unknown rig subcommand '" + sub + "' (velaupdate rig --help)");
}

}  // namespace vela::cli
