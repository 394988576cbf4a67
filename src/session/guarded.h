#pragma once
// Runs one operation so that it ends in a result whatever happens inside it. Only the
// session's operation files include this.

#include "core/stop_request.h"
#include "link/ethernet_channel.h"
#include "link/run_stop.h"
#include "link/send_program.h"
#include "session/operation_result.h"
#include "session/session.h"

#include <exception>
#include <utility>

namespace vela {

// A dropped TCP link has already been reported and taken the session offline; any other
// fault is reported here. The USB device is closed afterwards on every path; after a fault
// the unit commands are given back (they are enabled only while a link is active).
template <typename Result, typename Body>
Result guarded(Session& s, Result failed, Result lost, Result stopped, Body body) {
    Result result = failed;
    bool faulted = false;
    try {
        result = body();
    } catch (const LinkAbandoned&) {
        result = lost;
        faulted = true;
    } catch (const RunStopped&) {
        // Stopped at once: the exchange was cut short, so every channel is closed again.
        closeAfterStop(s.link);
        result = stopped;
        faulted = true;
    } catch (const std::exception& e) {
        s.ui.closeTransferWindow();
        s.ui.error(e.what());
        faulted = true;
    }
    closeUsbIfOpen(s.link);
    if (faulted) {
        s.state.RealTimeBusy = false;
        s.link.EnableUnitCommands();
    }
    return result;
}

template <typename Body> OperationResult guarded(Session& s, Body body) {
    return guarded(s, OperationResult::Failed, OperationResult::LinkLost, OperationResult::Stopped, body);
}

// A step that has no result of its own: Done unless it faulted.
template <typename Body> OperationResult guardedStep(Session& s, Body body) {
    return guarded(s, [&] {
        body();
        return OperationResult::Done;
    });
}

} // namespace vela
