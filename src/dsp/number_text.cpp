#include "dsp/number_text.h"

#include <charconv>
#include <cmath>

namespace vela::dsp {

std::string fixedText(double value, int decimals) {
    if (!std::isfinite(value)) return std::isnan(value) ? "nan" : (value < 0 ? "-inf" : "inf");
    char buf[400];
    const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    if (r.ec != std::errc()) return plainText(value); // beyond any sensible report
    return std::string(buf, r.ptr);
}

std::string plainText(double value) {
    if (!std::isfinite(value)) return std::isnan(value) ? "nan" : (value < 0 ? "-inf" : "inf");
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, r.ptr);
}

} // namespace vela::dsp
