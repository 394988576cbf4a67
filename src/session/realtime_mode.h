#pragma once
// Real-time mode belongs to the session: it is on only while a link is, every window's
// indicator and the preset document follow it, and it ends wherever the unit could stop
// playing what the window shows, saying why.

#include "session/operation_result.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace vela {

class Session;
struct PresetParameters;
struct SessionState;

inline constexpr std::string_view kRealTimeLinkLost = "Real time stopped: the link to the HALDA40 was lost";
inline constexpr std::string_view kRealTimeOtherPreset = "Real time stopped: the window shows another preset";

// USB, Ethernet or serial: a link real time can use.
bool linkActive(const SessionState& state);

// The offer made when real time is switched on: write the window's preset into `memory` first.
std::string realTimeOfferText(int memory);

// The real-time button. Off: switches the mode off. On: offline it says so and stays off;
// otherwise it offers to write `shown` (the window's preset) into memory ProgramNumber first,
// as Write does, with Write's question, so that the unit plays what the window shows. Stays
// off when the user cancels, declines the overwrite or the write fails.
OperationResult toggleRealTime(Session& session, const PresetParameters& shown);
// Switches the mode off; `why`, when given, is what the windows tell the user.
void endRealTime(Session& session, std::string_view why = {});
// A link that went away while real-time mode was on ends it, as a lost link. Runs after
// every operation.
void endRealTimeIfLinkGone(Session& session);
// On the link's thread: sends the real-time frames the editors queued, one at a time, and
// returns how many went out. A frame that cannot go out ends real-time mode as a lost link.
std::size_t sendQueuedRealTime(Session& session);

}  // namespace vela
