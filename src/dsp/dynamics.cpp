#include "dsp/dynamics.h"

#include "dsp/coefficient_word.h"
#include "dsp/design_checks.h"
#include "dsp/design_error.h"
#include "dsp/number_text.h"
#include "dsp/pow10.h"
#include "dsp/realtime_sink.h"

#include <cmath>
#include <numbers>
#include <string>

namespace vela::dsp {
namespace {

// Rounding to nearest, ties to even (the default floating-point rounding mode).
long roundEven(double x) {
    return std::lrint(x);
}

} // namespace

TDYNAMIC::TDYNAMIC() {
    FillLevelAxis(PointCount, 1.0, pow10((static_cast<double>(ThresholdDb) - ShapeDb) / 20.0));
    ComputeCurve();
}

void TDYNAMIC::FillLevelAxis(int n, double top, double bottom) {
    if (n < 34 || n > kLevelAxisCapacity)
        throw DesignError("level axis of " + std::to_string(n) + " points is outside 34..256");
    checkFinite(top, "level axis top");
    checkFinite(bottom, "level axis bottom");
    const int m = n - 33;
    const double step = (top - bottom) / m;
    for (int i = 1; i <= m; ++i) {
        const auto k = static_cast<std::size_t>(i);
        LevelLin[k] = static_cast<float>(bottom + (i - 1) * step);
        LevelDb[k] = static_cast<float>(20.0 * std::log10(static_cast<double>(LevelLin[k])));
    }
    for (int j = 0; j <= 32; ++j) {
        const auto k = static_cast<std::size_t>(m + j);
        const double t = -96.0 + 3.0 * j;
        LevelDb[k] = static_cast<float>(t);
        LevelLin[k] = static_cast<float>(pow10(t / 20.0));
    }
}

void TDYNAMIC::checkCurveParameters() const {
    if (PointCount < 34 || PointCount > kLevelAxisCapacity)
        throw DesignError("PointCount " + std::to_string(PointCount) + " is outside 34..256");
    checkFinite(ThresholdDb, "threshold");
    checkFinite(CurveGainDb, "curve gain");
    checkFinite(ShapeDb, "knee");
    // The limiter never reads the ratio, so only the compressor refuses one that is not positive.
    if (CompressorOn != 0 && !(Ratio > 0.0f && std::isfinite(Ratio)))
        throw DesignError("ratio " + plainText(Ratio) + " is not a positive number");
}

void TDYNAMIC::ComputeCurve() {
    checkCurveParameters();
    // Worked out on a copy: a threshold, knee or gain far outside the editors' ranges can
    // underflow the level axis or overflow the curve, and then leaves the object as it was.
    TDYNAMIC work = *this;
    work.computeCurve();
    if (!work.curveIsFinite())
        throw DesignError("threshold " + plainText(ThresholdDb) + " dB, knee " + plainText(ShapeDb) +
                          " dB and curve gain " + plainText(CurveGainDb) + " dB give a curve that is not finite");
    *this = work;
}

bool TDYNAMIC::curveIsFinite() const {
    for (int i = 1; i <= PointCount - 1; ++i) {
        const auto k = static_cast<std::size_t>(i);
        if (!std::isfinite(OutDb[k]) || !std::isfinite(CurveGain[k])) return false;
    }
    return true;
}

void TDYNAMIC::computeCurve() {
    if (ThresholdDb == 0.0f) ThresholdDb = -0.001f;
    const int n = PointCount;
    double S = 1.0 / static_cast<double>(Ratio);
    double A = S; // above-knee slope; the below-knee slope is 1
    if (CompressorOn == 0) {
        S = 0.0;
        A = 0.0;
    }
    FillLevelAxis(n, 1.0, pow10((static_cast<double>(ThresholdDb) - ShapeDb) / 20.0));
    const double C = static_cast<double>(LevelDb[1]) + ShapeDb; // the threshold as the axis rebuilds it
    const double D = ShapeDb > 0.5f ? static_cast<double>(ShapeDb) : 0.2;

    // The quadratic knee y = x + (A - 1)(x - C + D)^2 / (4D) through [C - D, C + D].
    const double a2 = -(1.0 - A) / (4.0 * D);
    const double a1 = ((1.0 - A) * C + (1.0 + A) * D) / (2.0 * D);
    const double a0 = -(1.0 / (4.0 * D)) * (2.0 * C * D * (A - 1.0) + (C * C + D * D) * (1.0 - A));
    const double gain = CurveGainDb;
    for (int i = 1; i <= n - 1; ++i) {
        const auto k = static_cast<std::size_t>(i);
        const double x = LevelDb[k];
        // Below the knee the polynomial too; the repair below mends that part of the table.
        const double out = x > C + D ? gain + C + (x - C) * S : gain + a0 + a1 * x + a2 * x * x;
        OutDb[k] = static_cast<float>(out);
        OutLin[k] = static_cast<float>(pow10(static_cast<double>(OutDb[k]) / 20.0));
        CurveGain[k] = OutLin[k] / LevelLin[k];
    }
    // Monotonic repair of the coarse grid, in increasing order: a gain that does not fall as
    // the level rises becomes unity. Entry N-1 (0 dB) is kept.
    for (int i = n - 33; i <= n - 2; ++i) {
        const auto k = static_cast<std::size_t>(i);
        if (CurveGain[k] <= CurveGain[k + 1]) CurveGain[k] = 1.0f;
    }
    if (Bypass)
        for (int i = n - 33; i <= n - 1; ++i)
            CurveGain[static_cast<std::size_t>(i)] = 1.0f;
}

void TDYNAMIC::BuildGainTable() {
    checkFinite(GateSetting, "gate position");
    checkFinite(GateRamp, "gate ramp");
    const long k = roundEven(GateSetting);
    const long g = roundEven(GateRamp);
    if (k < 0 || k > kGainTableSize)
        throw DesignError("gate position " + std::to_string(k) + " is outside 0..33");
    if (k > 0 && g < 1) throw DesignError("gate ramp " + std::to_string(g) + " is less than 1");

    ComputeCurve();
    const int n = PointCount;
    for (int j = 0; j < kGainTableSize; ++j)
        GainTable[static_cast<std::size_t>(j)] = CurveGain[static_cast<std::size_t>(n - 33 + j)];
    // The gate: entries 0..z-1 muted, z..k-1 a linear ramp reaching 1 at entry k-1.
    const long z = k - g < 1 ? 0 : k - g;
    for (long j = 0; j < k; ++j)
        GainTable[static_cast<std::size_t>(j)] =
            j < z ? 0.0 : static_cast<double>(j - z + 1) / static_cast<double>(g);
}

void TDYNAMIC::applyNewDefaults(float gateRamp, double holdMs, double decay, std::int32_t sampleRate) {
    ThresholdDb = -6.0f;
    Ratio = 2.0f;
    GateSetting = 0.0f;
    GateRamp = gateRamp;
    AuxFlag = true;
    AuxValue = 12.5f;
    BuildGainTable();
    SetHoldMs(holdMs, sampleRate);
    SetDecay(decay);
    ScaleCoef = 1.033;
    LeadSamples = 0;
    SideChainFrequency = 1000;
    SideChainLow.Frequency = SideChainFrequency;
    SideChainLow.DesignLowPassButterworth(sampleRate);
    SideChainHigh.Frequency = SideChainFrequency;
    SideChainHigh.DesignHighPassButterworth(sampleRate);
}

void TDYNAMIC::ApplyRmsDefaults(std::int32_t sampleRate) {
    applyNewDefaults(2.0f, 70.0, 3.0, sampleRate);
    SetRmsTime(100.0, sampleRate);
}

void TDYNAMIC::ApplyPeakDefaults(std::int32_t sampleRate) {
    CompressorOn = 0; // explicitly; the RMS objects keep theirs
    applyNewDefaults(4.0f, 10.0, 50.0, sampleRate);
}

void TDYNAMIC::SetRmsTime(double value, std::int32_t sampleRate) {
    checkSampleRate(sampleRate);
    TimeConstantCoef = 1.0 - pow10(-value / (10.0 * sampleRate));
}

double TDYNAMIC::RmsTime(std::int32_t sampleRate) const {
    return -10.0 * sampleRate * std::log10(1.0 - TimeConstantCoef);
}

void TDYNAMIC::SetHoldMs(double ms, std::int32_t sampleRate) {
    checkSampleRate(sampleRate);
    WindowSamples = static_cast<std::int32_t>(roundEven(ms * 0.001 * sampleRate));
}

double TDYNAMIC::HoldMs(std::int32_t sampleRate) const {
    return WindowSamples / (sampleRate * 0.001);
}

void TDYNAMIC::SetDecay(double value) {
    RateCode = static_cast<std::int32_t>(roundEven(value / 0.137));
}

double TDYNAMIC::Decay() const {
    return RateCode * 0.137;
}

std::array<std::uint32_t, kGainTableSize> TDYNAMIC::GainTableWords() const {
    std::array<std::uint32_t, kGainTableSize> words{};
    for (std::size_t j = 0; j < words.size(); ++j)
        words[j] = coefficientWord(GainTable[j]);
    return words;
}

void TDYNAMIC::SendGainTable(RealTimeSink& sink, int object) const {
    if (object != 1 && object != 2) throw DesignError("gain-table send: object must be 1 or 2");
    const int base = object == 1 ? 173 : 211;
    const auto words = GainTableWords();
    sink.setTarget(0);
    for (int j = 0; j < 3; ++j)
        sink.send(RealTimeType::OneWord, static_cast<std::uint16_t>(base + j),
                  std::span<const std::uint32_t>(&words[static_cast<std::size_t>(j)], 1));
    for (int m = 0; m < 6; ++m)
        sink.send(RealTimeType::FiveWords, static_cast<std::uint16_t>(base + 3 + 5 * m),
                  std::span<const std::uint32_t>(&words[static_cast<std::size_t>(3 + 5 * m)], 5));
}

} // namespace vela::dsp
