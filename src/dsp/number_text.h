#pragma once
// Numbers composed into the designers' messages: "." as the decimal separator whatever the
// locale (std::to_chars never consults it).

#include <string>

namespace vela::dsp {

// Fixed notation with the given number of decimals: fixedText(1803.42, 1) is "1803.4".
std::string fixedText(double value, int decimals);
// The shortest text that reads back as the same double: plainText(14900) is "14900".
std::string plainText(double value);

} // namespace vela::dsp
