#pragma once
// The download window's progress text.

#include <cstdint>
#include <string>

namespace vela {

// A number rounded to one significant digit with two decimals: 2.37 -> "2.00", 0.53 ->
// "0.50"; from 10 on in exponent form (12.3 -> "1E+01"). "." whatever the locale.
std::string oneDigitText(double value);

// "Downloading Update:  " + received Mb + "Mb  -->  " + total Mb + "Mb" (1 Mb = 1 000 000 bytes).
std::string downloadProgressText(std::int64_t received, std::int64_t total);

}  // namespace vela
