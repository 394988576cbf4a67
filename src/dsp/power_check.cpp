#include "dsp/power_check.h"

#include "dsp/design_error.h"
#include "dsp/number_text.h"
#include "dsp/pow10.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>

namespace vela::dsp {
namespace {

// The output level in dBu at a full-scale input: the 0 dB point of the curve plus the
// converter's +23 - 5.45 dB (and offset for the peak detector); +18 dBu when bypassed, and never
// above +18 dBu.
double outputLevelDbu(const TDYNAMIC& d, double offset) {
    if (d.PointCount < 34 || d.PointCount > kLevelAxisCapacity)
        throw DesignError("PointCount " + std::to_string(d.PointCount) + " is outside 34..256");
    double level =
        static_cast<double>(d.OutDb[static_cast<std::size_t>(d.PointCount - 1)]) + 23.0 - 5.45 + offset;
    if (d.Bypass) level = 18.0;
    return std::min(level, 18.0);
}

} // namespace

RmsPowerReport PowerCheckRms(const TDYNAMIC& rms) {
    if (!(rms.ImpedanceOhm > 0.0f))
        throw DesignError("impedance " + plainText(rms.ImpedanceOhm) + " ohm is not positive");
    RmsPowerReport r{};
    r.LevelDbu = outputLevelDbu(rms, 0.0);
    const double volts = pow10(r.LevelDbu / 20.0) * 0.775;
    const double amp = volts * static_cast<double>(rms.AmpGain);
    r.VoltageRms = volts;
    r.PowerW = amp * amp / static_cast<double>(rms.ImpedanceOhm);
    if (!rms.AmpBridgeMode) {
        r.PowerW /= 4.0;
        r.VoltageRms /= 2.0;
    }
    r.PowerLine = "1 - Max RMS Out Power : " + fixedText(r.PowerW, 1) + " Watts";
    r.VoltageLine = "    Max RMS Out Voltage : " + fixedText(r.VoltageRms, 3) + " vrms";
    r.ShortForm = fixedText(r.PowerW, 1) + " W";
    r.ExceedsBoxPower = r.PowerW > static_cast<double>(rms.BoxPowerW);
    r.WarningLine1 = kPowerWarning;
    r.WarningLine2 = r.ExceedsBoxPower ? kPowerExceeded : "";
    r.WarningColour = r.ExceedsBoxPower ? kWarningColourAlarm : kWarningColourCalm;
    r.BoxPowerInputDbu = 20.0 * std::log10(std::sqrt(static_cast<double>(rms.BoxPowerW) * rms.ImpedanceOhm) /
                                           (static_cast<double>(rms.AmpGain) * 0.775));
    return r;
}

PeakPowerReport PowerCheckPeak(const TDYNAMIC& peak, const TDYNAMIC& rmsOfSameOutput) {
    PeakPowerReport r{};
    r.LevelDbu = outputLevelDbu(peak, 2.6);
    double volts = pow10(r.LevelDbu / 20.0) * 0.775;
    if (!rmsOfSameOutput.AmpBridgeMode) volts /= 2.0;
    r.VoltagePeak = volts * std::numbers::sqrt2;
    r.Line = "1 - Max Peak Voltage : " + fixedText(r.VoltagePeak, 3) + " Vp";
    return r;
}

} // namespace vela::dsp
