#include "cli/link_selection.h"

#include "cli/exit_codes.h"
#include "link/send_program.h"

#include <stdexcept>

namespace vela::cli {

bool selectLink(Context& ctx, Session& s) {
    SessionState& st = s.state;
    switch (ctx.link.kind) {
    case LinkKind::USB:
        st.Link = LinkKind::USB;
        st.UsbActive = true;
        break;
    case LinkKind::Ethernet:
        s.link.ethernet.setAddress(ctx.link.host, ctx.link.tcpPort);
        st.Link = LinkKind::Ethernet;
        st.EthernetActive = true;
        break;
    case LinkKind::COM1:
    case LinkKind::COM2:
        st.Link = LinkKind::COM1;
        st.SerialActive = true;
        break;
    case LinkKind::Offline:
        std::fprintf(stderr, "velaupdate: this command talks to the unit; choose --usb, --serial, --ethernet or --sim\n");
        return false;
    }
    s.link.EnableUnitCommands();
    return true;
}

bool refuseEthernet(Context& ctx, const char* command) {
    if (ctx.link.kind != LinkKind::Ethernet) return false;
    std::fprintf(stderr, "velaupdate %s: the unit takes this command over USB or the serial line only\n", command);
    return true;
}

bool probeSelectedLink(Context& ctx, Session& s) {
    const Channel channel = ctx.link.kind == LinkKind::Ethernet ? Channel::Ethernet : Channel::Serial;
    // A port that cannot be opened (missing, busy, no permission) is no answer from a unit.
    if (channel == Channel::Serial && !s.link.serial.SerialOpen()) {
        ctx.ui.error(s.link.serial.openFailure());
        return false;
    }
    const bool answered = SendProgram(s.link, s.programImage, channel, CommandCode::ProbeCommand, 0, 0, false) ==
                          ExchangeResult::Success;
    if (channel == Channel::Serial) s.link.serial.SerialClose();
    if (!answered) ctx.ui.message(MessageKind::Plain, Buttons::Ok, "This is not a HALDA40 processor, It cannot communicate.");
    return answered;
}

int exitCode(CommandOutcome outcome) {
    switch (outcome) {
    case CommandOutcome::Done: return kExitOk;
    case CommandOutcome::Declined: return kExitDeclined;
    case CommandOutcome::Failed: return kExitLinkFailed;
    case CommandOutcome::Stopped: return kExitLinkFailed;
    }
    return kExitLinkFailed;
}

int memoryArgument(const Context& ctx, const char* command) {
    if (ctx.args.positional.size() != 1)
        throw std::invalid_argument(std::string("give one MEMORY (1..13): velaupdate ") + command + " MEMORY");
    const long n = parseInteger(ctx.args.positional[0], "MEMORY");
    if (n < 1 || n > 13) throw std::invalid_argument("MEMORY must be 1..13, not " + ctx.args.positional[0]);
    return static_cast<int>(n);
}

}  // namespace vela::cli
