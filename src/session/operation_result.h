#pragma once
// How an operation the user started ended.

namespace vela {

// Declined: the user answered No or Cancel. LinkLost: the link dropped in the middle and the
// session has gone offline (said already). Stopped: the user stopped it part-way; what it
// had done has been said.
enum class OperationResult { Done, Declined, Failed, LinkLost, Stopped };

} // namespace vela
