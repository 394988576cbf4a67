#pragma once
// The read-back verdicts of a run as JSON, the same for load-all and rig load.

#include "cli/json.h"
#include "session/operations.h"

#include <vector>

namespace vela::cli {

// "verify": [{"memory": N, "result": "..."}, ...]; nothing when nothing was read back.
inline void writeVerify(JsonWriter& j, const std::vector<MemoryVerdict>& verify) {
    if (verify.empty()) return;
    j.key("verify");
    j.beginArray();
    for (const auto& [memory, verdict] : verify) {
        j.beginObject();
        j.field("memory", memory);
        j.field("result", verdict);
        j.endObject();
    }
    j.endArray();
}

}  // namespace vela::cli
