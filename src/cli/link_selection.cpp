#include "cli/link_selection.h"

#include "core/exit_codes.h"
#include "session/identify.h"
#include "session/link_choice.h"
#include "session/operations.h"

#include <stdexcept>

namespace vela::cli {

bool selectLink(Context& ctx, Session& s) {
    if (activateLink(s, ctx.link)) return true;
    std::fprintf(stderr,
                 "velaupdate: this command talks to the unit; choose --usb, --serial, --ethernet or --sim\n");
    return false;
}

OperationResult connectUnit(Context& ctx, Session& s) { return connectAndIdentify(s, ctx.link); }

bool refuseEthernet(Context& ctx, const char* command) {
    if (ctx.link.kind != LinkKind::Ethernet) return false;
    std::fprintf(stderr, "velaupdate %s: the unit takes this command over USB or the serial line only\n",
                 command);
    return true;
}

int exitCode(OperationResult outcome) {
    switch (outcome) {
    case OperationResult::Done:
        return kExitOk;
    case OperationResult::Declined:
        return kExitDeclined;
    case OperationResult::Failed:
    case OperationResult::LinkLost:
    case OperationResult::Stopped:
        return kExitLinkFailed;
    }
    return kExitLinkFailed;
}

int memoryArgument(const Context& ctx, const char* command) {
    if (ctx.args.positional.size() != 1)
        throw std::invalid_argument(std::string("give one MEMORY (1..13): velaupdate ") + command +
                                    " MEMORY");
    const long n = parseInteger(ctx.args.positional[0], "MEMORY");
    if (n < 1 || n > 13) throw std::invalid_argument("MEMORY must be 1..13, not " + ctx.args.positional[0]);
    return static_cast<int>(n);
}

} // namespace vela::cli
