#include "session/rig_outcome.h"

namespace vela {

const char* outcomeName(const CabinetResult& r) {
    if (r.refusal == LibraryRefusal::NoModel) return "skipped";
    switch (r.outcome) {
    case OperationResult::Done: return "completed";
    case OperationResult::Declined: return "declined";
    case OperationResult::Failed: return "failed";
    case OperationResult::LinkLost: return "link lost";
    case OperationResult::Stopped: return "stopped";
    }
    return "failed";
}

} // namespace vela
