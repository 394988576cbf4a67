#include "cli/preset_limits.h"

#include "dsp/number_text.h"

#include <charconv>
#include <cmath>

namespace vela::cli {
namespace {

// An index in a name: 1..last, else nothing.
std::optional<std::size_t> index(const std::string& text, std::size_t last) {
    if (text.size() != 1 || text[0] < '1' || static_cast<std::size_t>(text[0] - '0') > last) return std::nullopt;
    return static_cast<std::size_t>(text[0] - '0') - 1;
}

std::optional<double> dynamicsValue(const dsp::TDYNAMIC& d, std::int32_t fs, const std::string& what) {
    if (what == "threshold") return d.ThresholdDb;
    if (what == "ratio") return d.Ratio;
    if (what == "knee") return d.ShapeDb;
    if (what == "gain") return d.CurveGainDb;
    if (what == "gate") return d.GateSetting;
    if (what == "ramp") return d.GateRamp;
    if (what == "hold") return d.HoldMs(fs);
    if (what == "time") return d.RmsTime(fs);
    return std::nullopt;
}

// Ten significant digits: a stored 6.1 dB reads 6.1, not 6.100000000000001.
std::string shortText(double value) {
    char buf[32];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 10);
    return ec == std::errc() ? std::string(buf, end) : dsp::plainText(value);
}

}  // namespace

std::optional<double> storedValue(const PresetParameters& p, std::int32_t fs, const std::vector<std::string>& k) {
    if (k.size() == 1 && k[0] == "temperature") return p.Temperature;
    if (k.size() == 2 && k[0] == "delay") {
        if (k[1] == "input") return p.InputDelay;
        if (const auto n = index(k[1], kOutputs)) return p.OutputDelay[*n];
    }
    if (k.size() == 3 && k[0] == "out" && k[2] == "gain")
        if (const auto n = index(k[1], kOutputs)) return p.OutputDb[*n];
    if (k.size() == 4 && k[0] == "eq") {
        const auto n = index(k[1], kOutputs);
        const auto b = index(k[2], kBandsPerOutput);
        if (!n || !b) return std::nullopt;
        const dsp::TSOS& s = p.band(static_cast<int>(*n), static_cast<int>(*b) + 1);
        if (k[3] == "gain") return s.Gain;
        if (k[3] == "freq") return s.Frequency;
        if (k[3] == "q") return s.Q;
    }
    if (k.size() >= 4 && k[0] == "xover") {
        const auto n = index(k[1], kOutputs);
        if (!n) return std::nullopt;
        const dsp::TXOVER& x = p.Crossovers[*n];
        const dsp::TXOVERPB& e = k[2] == "low" || k[2] == "hp" ? x.HighPass : x.LowPass;
        if (k.size() == 4 && k[3] == "order") return e.Order;
        if (k.size() == 4 && k[3] == "freq") return e.Frequency;
        if (k.size() == 6 && k[3] == "section") {
            const auto s = index(k[4], dsp::kDesignedSections);
            if (!s) return std::nullopt;
            if (k[5] == "freq") return e.Sections[*s].Frequency;
            if (k[5] == "q") return e.Sections[*s].Q;
        }
    }
    if (k.size() == 3 && (k[0] == "rms" || k[0] == "peak"))
        if (const auto n = index(k[1], kDynamicsObjects))
            return dynamicsValue(k[0] == "rms" ? p.RmsDynamics[*n] : p.PeakDynamics[*n], fs, k[2]);
    return std::nullopt;
}

std::optional<std::string> limitMessage(const std::string& name, double requested, double stored) {
    // The controls round to their steps (0.1 dB, 0.5 dB, whole Hz, whole positions); more than
    // that is the range at work.
    const double difference = std::fabs(stored - requested);
    if (difference <= 0.5 || difference <= 0.01 * std::fabs(requested)) return std::nullopt;
    return name + ": " + shortText(requested) + " was limited to " + shortText(stored);
}

}  // namespace vela::cli
