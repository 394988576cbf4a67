#include "preset/preset_warnings.h"

#include "dsp/design_error.h"
#include "dsp/number_text.h"
#include "dsp/power_check.h"

namespace vela {

bool peakTableFollowsSettings(const dsp::TDYNAMIC& peak) {
    dsp::TDYNAMIC designed = peak;
    try {
        designed.BuildGainTable();
    } catch (const dsp::DesignError&) {
        return false;
    }
    return designed.GainTable == peak.GainTable;
}

std::vector<std::string> standingWarnings(const PresetParameters& p, std::int32_t sampleRate) {
    std::vector<std::string> warnings;
    std::string keptTables;
    for (std::size_t n = 0; n < kOutputs; ++n) {
        const std::string which = std::to_string(n + 1);
        try {
            const dsp::RmsPowerReport r = dsp::PowerCheckRms(p.RmsDynamics[n]);
            // In the words of the edit that crossed the capacity.
            if (r.ExceedsBoxPower)
                warnings.push_back("RMS dynamics " + which + ": " + r.WarningLine1 + " " + r.WarningLine2 + " (" +
                                   r.ShortForm + ")");
        } catch (const dsp::DesignError& error) {
            warnings.push_back("RMS dynamics " + which + ": no power check: " + error.what());
        }
        if (!peakTableFollowsSettings(p.PeakDynamics[n])) keptTables += (keptTables.empty() ? "" : " and ") + which;
    }
    if (!keptTables.empty()) {
        const bool both = keptTables.size() > 1;
        dsp::TDYNAMIC fresh;
        fresh.ApplyPeakDefaults(sampleRate);
        warnings.push_back((both ? "Peak limiters of outputs " : "Peak limiter of output ") + keptTables +
                           ": the unit gets New's table (limiter at " + dsp::plainText(fresh.ThresholdDb) +
                           " dB, knee " + dsp::plainText(fresh.ShapeDb) +
                           " dB), not the settings shown; a peak edit designs it from them.");
    }
    return warnings;
}

DynamicsReport dynamicsReport(const PresetParameters& p, int out) {
    const auto n = static_cast<std::size_t>(out);
    DynamicsReport report;
    try {
        const dsp::RmsPowerReport rms = dsp::PowerCheckRms(p.RmsDynamics[n]);
        const dsp::PeakPowerReport peak = dsp::PowerCheckPeak(p.PeakDynamics[n], p.RmsDynamics[n]);
        report.lines = {rms.PowerLine, rms.VoltageLine, peak.Line};
        // Without the check's list number ("1 - "), which would read as an output's.
        for (std::string& line : report.lines) {
            line.erase(0, line.find_first_not_of(' '));
            if (line.starts_with("1 - ")) line.erase(0, 4);
        }
        report.exceedsBoxPower = rms.ExceedsBoxPower;
    } catch (const dsp::DesignError& error) {
        report.lines = {std::string("no power check: ") + error.what()};
    }
    return report;
}

}  // namespace vela
