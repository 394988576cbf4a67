#include "session/tuning_link.h"

#include "session/connection.h"
#include "session/identify.h"
#include "session/realtime_mode.h"
#include "session/session.h"

namespace vela {
namespace {

// Runs `step` with the installer's windows left as they were.
template <typename Step> auto keepingInstallerWindows(Session& s, Step step) {
    const bool library = s.libraryWindow.visible;
    const ConnectionWindows windows = s.windows;
    const auto result = step();
    s.libraryWindow.visible = library;
    s.windows = windows;
    return result;
}

}  // namespace

OperationResult connectForTuning(Session& s, const LinkOptions& link) {
    if (link.kind == LinkKind::Offline) return OperationResult::Failed;
    return keepingInstallerWindows(s, [&] {
        OperationResult r = connectAndIdentify(s, link);
        if (r == OperationResult::Done && !linkActive(s.state)) r = OperationResult::Failed;
        // A unit that did not answer is not connected, whichever link was tried.
        if (r != OperationResult::Done && linkActive(s.state)) switchLink(s, LinkKind::Offline);
        return r;
    });
}

void disconnectForTuning(Session& s) {
    endRealTime(s);
    keepingInstallerWindows(s, [&] {
        switchLink(s, LinkKind::Offline);
        return true;
    });
}

}  // namespace vela
