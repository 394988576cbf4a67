#include "update/download_progress.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace vela {

std::string oneDigitText(double value) {
    if (!std::isfinite(value) || value <= 0) return "0.00";
    // "%.0e" rounds to one significant digit and prints no decimal separator, so the locale
    // never enters; the digit and the exponent are put together here.
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.0e", value);
    const int digit = buf[0] - '0';
    const int exponent = std::atoi(buf + 2);
    if (exponent >= 1) {
        char out[32];
        std::snprintf(out, sizeof out, "%dE%c%02d", digit, exponent < 0 ? '-' : '+', std::abs(exponent));
        return out;
    }
    // Two decimals: hundredths = digit * 10^(exponent + 2), nothing below 0.01.
    int hundredths = 0;
    if (exponent >= -2) hundredths = digit * (exponent == 0 ? 100 : exponent == -1 ? 10 : 1);
    char out[32];
    std::snprintf(out, sizeof out, "%d.%02d", hundredths / 100, hundredths % 100);
    return out;
}

std::string downloadProgressText(std::int64_t received, std::int64_t total) {
    return "Downloading Update:  " + oneDigitText(static_cast<double>(received) / 1e6) + "Mb  -->  " +
           oneDigitText(static_cast<double>(total) / 1e6) + "Mb";
}

}  // namespace vela
