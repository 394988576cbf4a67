#include "session/realtime_mode.h"

#include "session/guarded.h"
#include "session/session.h"
#include "session/unit_commands.h"

#include <string>

namespace vela {

bool linkActive(const SessionState& st) { return st.UsbActive || st.EthernetActive || st.SerialActive; }

namespace {

// The unit no longer hears the window: nothing waiting may reach it later, and every status
// line says the link was lost.
void loseRealTime(Session& s) {
    if (linkActive(s.state)) s.link.DropLink();
    s.state.LinkLost = true;
    endRealTime(s, kRealTimeLinkLost);
}

}  // namespace

std::string realTimeOfferText(int memory) {
    return "Real time sends every change to the HALDA40 as you make it. Write the whole preset the window shows "
           "into memory " + std::to_string(memory) + " first, so that the HALDA40 plays what the window shows?\n"
           "No: real time starts on what the HALDA40 plays now.";
}

OperationResult toggleRealTime(Session& s, const PresetParameters& shown) {
    SessionState& st = s.state;
    if (st.RealTimeMode) {
        endRealTime(s);
        return OperationResult::Done;
    }
    if (st.Link == LinkKind::Offline || !linkActive(st)) {
        s.ui.information("You are Offline, Real Time Mode is not posible");
        return OperationResult::Failed;
    }
    const Answer offer =
        s.ui.message(MessageKind::Information, Buttons::YesNoCancel, realTimeOfferText(st.ProgramNumber));
    if (offer == Answer::Cancel) return OperationResult::Declined;
    if (offer == Answer::Yes) {
        const OperationResult written = writePresetProgram(s, shown);
        if (written != OperationResult::Done) return written;
        // A link that failed in the write leaves real time off.
        if (!linkActive(st)) return OperationResult::LinkLost;
    }
    // What waited while the mode was off belongs to no preset the unit holds.
    s.realTimeQueue.clear();
    st.RealTimeMode = true;
    return OperationResult::Done;
}

void endRealTime(Session& s, std::string_view why) {
    s.realTimeQueue.clear();
    if (!s.state.RealTimeMode) return;
    s.state.RealTimeMode = false;
    s.realTimeEnded = why;
    ++s.realTimeEndings;
}

void endRealTimeIfLinkGone(Session& s) {
    if (!s.state.RealTimeMode || linkActive(s.state)) return;
    s.state.LinkLost = true;
    endRealTime(s, kRealTimeLinkLost);
}

std::size_t sendQueuedRealTime(Session& s) {
    if (s.realTimeQueue.waiting() == 0) return 0;
    SentFrames frames;
    const OperationResult r = guardedStep(s, [&] { frames = sendWaitingFrames(s.realTimeQueue, s.realTime); });
    if (r != OperationResult::Done || frames.failed) loseRealTime(s);
    return frames.sent;
}

}  // namespace vela
