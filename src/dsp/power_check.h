#pragma once
// The power checks of the dynamics editors: the maximum output level, voltage and
// power at a full-scale input, against the loudspeaker's power capacity. They read OutDb of an
// object whose curve has been computed (ComputeCurve or BuildGainTable).

#include "dsp/dynamics.h"

#include <string>

namespace vela::dsp {

inline constexpr const char* kPowerWarning = "WARNING!!!";
inline constexpr const char* kPowerExceeded = "The Out Power exceeds your Box Power capacity!";
inline constexpr int kWarningColourCalm = 128;  // dark red: within the box's capacity
inline constexpr int kWarningColourAlarm = 255; // bright red: above it

struct RmsPowerReport {
    double LevelDbu;   // output level at a full-scale input, at most +18 dBu
    double VoltageRms; // Vmax
    double PowerW;     // P
    bool ExceedsBoxPower;
    std::string PowerLine;    // "1 - Max RMS Out Power : 1803.4 Watts"
    std::string VoltageLine;  // "    Max RMS Out Voltage : 2.930 vrms"
    std::string ShortForm;    // "1803.4 W"
    std::string WarningLine1; // always "WARNING!!!"
    std::string WarningLine2; // empty, or the exceeded text
    int WarningColour;        // 128 or 255
    // For the editor's level meter: the input level (dBu) at which the box power is reached.
    double BoxPowerInputDbu;
};

struct PeakPowerReport {
    double LevelDbu;
    double VoltagePeak;
    std::string Line; // "1 - Max Peak Voltage : 5.589 Vp"
};

// The RMS check of an RmsDynamics object.
RmsPowerReport PowerCheckRms(const TDYNAMIC& rms);
// The peak check of a PeakDynamics object; the amplifier's bridge mode is the one of the RMS
// object of the same output.
PeakPowerReport PowerCheckPeak(const TDYNAMIC& peak, const TDYNAMIC& rmsOfSameOutput);

} // namespace vela::dsp
