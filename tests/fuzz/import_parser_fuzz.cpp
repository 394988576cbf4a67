// Fuzzes the measurement import parser and the resampling: the first byte picks the format,
// the rest is the file's text.
#include "dsp/response.h"
#include "preset/measurement_import.h"

#include <cmath>
#include <cstdlib>
#include <string_view>

using namespace vela;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    static const dsp::ResponseGrid grid(48000);
    const ImportFormat* format = importFormat(data[0] % (kFrdFormat + 1));
    if (!format) return 0;
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    const ParseResult r = parseMeasurement(text, *format, kDefaultSensitivity);
    if (r.status != ParseStatus::Ok) return 0;
    ImportCurve curve;
    resampleMeasurement(r.curve, *format, grid.frequencies(), 90.0, curve);
    // Points outside the data are exactly -140; inside, finite data give finite values.
    for (std::size_t k = 0; k < kImportPoints; ++k)
        if (std::isnan(curve.magnitude[k]) && r.curve.frequency.size() > 1) {
            bool finite = true;
            for (float m : r.curve.magnitude) finite = finite && std::isfinite(m);
            if (finite) std::abort();
        }
    return 0;
}
