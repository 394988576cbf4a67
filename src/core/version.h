#pragma once
// The program's version, as --version, the run logs and the About window show it.

namespace vela {

inline constexpr const char* kVersionNumber = "1.9.0";
inline constexpr const char* kVersionLine = "VELAupdate 1.9.0";

}  // namespace vela
