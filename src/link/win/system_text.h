#pragma once
// The system's own words for an error code, in UTF-8, without the closing full stop.

#include <string>

namespace vela {

std::string systemText(unsigned long code);

} // namespace vela
