#include "core/session_state.h"

#include <algorithm>

namespace vela {

void SessionState::setProgramNumber(std::int32_t n) { ProgramNumber = std::clamp(n, 1, 13); }

}  // namespace vela
