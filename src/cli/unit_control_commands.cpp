// reset, update-dsp, lock, unlock, password, only-change and realtime: the commands that act
// on the unit as a whole.
#include "cli/commands.h"
#include "core/exit_codes.h"
#include "cli/firmware_option.h"
#include "cli/json.h"
#include "cli/link_selection.h"
#include "cli/session_factory.h"
#include "session/operations.h"
#include "sim/sim_trace.h"

#include <stdexcept>

namespace vela::cli {
namespace {

void noPositionals(const Context& ctx, const char* command) {
    if (!ctx.args.positional.empty())
        throw std::invalid_argument(std::string(command) +
                                    " takes no argument: " + ctx.args.positional.front());
}

// A command with no argument that runs one procedure on the chosen link.
int runUnitCommand(Context& ctx, const char* command, OperationResult (*operation)(Session&),
                   bool usbOrSerial) {
    const StopRequest::Listening listening(ctx.ui.stop);
    noPositionals(ctx, command);
    if (usbOrSerial && refuseEthernet(ctx, command)) return kExitUsage;
    auto s = openSession(ctx);
    if (!selectLink(ctx, *s)) return kExitUsage;
    return exitCode(operation(*s));
}

} // namespace

int runReset(Context& ctx) {
    return runUnitCommand(ctx, "reset", resetUnit, false);
}
int runLock(Context& ctx) {
    return runUnitCommand(ctx, "lock", lockKeyboard, true);
}
int runUnlock(Context& ctx) {
    return runUnitCommand(ctx, "unlock", unlockKeyboard, true);
}
int runOnlyChange(Context& ctx) {
    return runUnitCommand(ctx, "only-change", onlyChangeFromKeyboard, true);
}

int runUpdateDsp(Context& ctx) {
    const StopRequest::Listening listening(ctx.ui.stop);
    noPositionals(ctx, "update-dsp");
    const auto firmware = firmwareFromOptions(ctx, "update-dsp");
    if (!firmware) return kExitBadInput;
    auto s = openSession(ctx);
    if (!selectLink(ctx, *s)) return kExitUsage;
    return exitCode(updateDspOperatingSystem(*s, *firmware));
}

int runPassword(Context& ctx) {
    const StopRequest::Listening listening(ctx.ui.stop);
    if (ctx.args.positional.size() != 1)
        throw std::invalid_argument("give the code: velaupdate password CODE");
    const auto bytes = passwordBytes(ctx.args.positional[0]);
    if (!bytes) throw std::invalid_argument("CODE is one to seven printable ASCII characters");
    if (refuseEthernet(ctx, "password")) return kExitUsage;
    auto s = openSession(ctx);
    if (!selectLink(ctx, *s)) return kExitUsage;
    return exitCode(sendPassword(*s, bytes));
}

int runRealtime(Context& ctx) {
    const StopRequest::Listening listening(ctx.ui.stop);
    noPositionals(ctx, "realtime");
    const auto address = ctx.args.integer("address");
    const auto value = ctx.args.integer("value");
    if (!address || !value) throw std::invalid_argument("give --address A and --value V");
    if (*address < 0 || *address > 0xFFFF) throw std::invalid_argument("--address must be 0..65535");
    if (*value < INT32_MIN || *value > INT32_MAX)
        throw std::invalid_argument("--value must fit 32 bits, signed");
    const long target = ctx.args.integer("target").value_or(1);
    if (target < 1 || target > 2) throw std::invalid_argument("--target must be 1 or 2");
    auto s = openSession(ctx);
    if (!selectLink(ctx, *s)) return kExitUsage;
    s->state.RealTimeTarget = static_cast<std::uint8_t>(target);
    // One value, on purpose: no preset of a window to offer first.
    s->state.RealTimeMode = true;
    // Frames go out on the TCP link as it stands, which the module window's connect opened;
    // a connection that cannot be made reports itself and ends the command.
    if (ctx.link.kind == LinkKind::Ethernet) s->link.ethernet.ReconnectEthernet();
    s->realTime.SendParameterValue(static_cast<std::int32_t>(*value), static_cast<std::uint16_t>(*address));
    // A link that could not take the frame has said so and gone offline.
    if (s->state.Link == LinkKind::Offline) return kExitLinkFailed;
    const auto frame = s->realTime.frame(s->state.RealTimeTarget, 2);
    if (ctx.args.flag("json")) {
        JsonWriter j(ctx.out);
        j.beginObject();
        j.field("frame", sim::hexBytes(frame));
        j.endObject();
        j.finish();
    } else {
        ctx.out.print("%s\n", sim::hexBytes(frame).c_str());
    }
    return kExitOk;
}

} // namespace vela::cli
