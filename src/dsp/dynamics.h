#pragma once
// TDYNAMIC, the dynamics designer behind each output's RMS compressor/limiter and peak limiter.
// From a threshold, ratio, knee and make-up gain it computes the static curve of
// the gain computer and reduces it to a 33-entry gain table, one gain per 3 dB step of input
// level from -96 dB to 0 dB. The power check is in power_check.h.
//
// Single precision is kept for the level axis, the curve and the parameters: the gain table's
// low bits depend on it. Fields that nothing reads are left out.

#include "dsp/sos.h"

#include <array>
#include <cstdint>

namespace vela::dsp {

class RealTimeSink;

inline constexpr int kGainTableSize = 33;      // entry j for -96 + 3j dB
inline constexpr int kLevelAxisCapacity = 256; // LevelLin[1..256] and its siblings

// A level-axis array, indexed 1..256; entry 0 is unused.
using LevelArray = std::array<float, kLevelAxisCapacity + 1>;

class TDYNAMIC {
  public:
    // Construction: the defaults below, then the level axis and the curve (ComputeCurve).
    TDYNAMIC();

    // The named fields, with the constructor's defaults.
    float ThresholdDb = -23.0f; // dB re digital full scale
    float Ratio = 1.0f;         // slope above the knee is 1/Ratio
    float CurveGainDb = 0.0f;   // dB added to the whole output curve
    float GateSetting = -83.0f; // gate position in the gain table, as a whole number (editors: 0..33)
    float GateRamp = -98.0f;    // length of the gate's ramp in table entries (editors: 1..10)
    std::uint8_t AuxSwitch = 0; // kept and saved only
    float ImpedanceOhm = 8.0f;
    float BoxPowerW = 400.0f;
    float AmpGain = 41.0f;         // amplifier voltage gain, linear
    float AmpPowerW = 600.0f;      // carried to the image only
    bool AmpBridgeMode = true;     // false: half the voltage, a quarter of the power
    std::int32_t AuxCount = 1;     // kept and saved only
    std::uint8_t CompressorOn = 0; // 0 limiter ("     Limit"), 1 compressor ("Threshold")
    float ShapeDb = 4.0f;          // knee half-width in dB
    bool Bypass = false;           // the gain table is all unity
    bool AuxFlag = true;           // kept and saved only
    std::int32_t PointCount = 93;  // N, points of the level axis, 34..256
    TSOS CurveSection;             // created with the object, never designed
    LevelArray LevelLin{};         // level axis, linear
    LevelArray LevelDb{};          // level axis, dB
    LevelArray OutLin{};           // static curve output, linear
    LevelArray OutDb{};            // static curve output, dB
    LevelArray CurveGain{};        // OutLin / LevelLin
    float AuxValue = 10.0f;        // shown by the editor only (New sets 12.5)
    double ScaleCoef = 1.033;      // carried to the image
    double TimeConstantCoef = 0.0; // RMS detector coefficient, 1 - 10^(-v/(10 fs))
    std::array<double, kGainTableSize> GainTable{};
    std::int32_t WindowSamples = 0;         // hold time in samples
    std::int32_t RateCode = 0;              // decay time in units of 0.137 ms
    std::int32_t LeadSamples = 0;           // subtracted from WindowSamples when the image encodes the hold
    TSOS SideChainLow;                      // "LowPass Buttw" at SideChainFrequency
    TSOS SideChainHigh;                     // "HiPass Buttw" at SideChainFrequency
    std::int32_t SideChainFrequency = 1000; // Hz

    // Fills LevelLin/LevelDb 1..n-1: a ramp linear in amplitude from bottom towards top for
    // 1..n-33, then the 33 coarse points -96, -93, ..., 0 dB at n-33..n-1 (entry n-33 is
    // overwritten; entry n is not written).
    void FillLevelAxis(int n, double top, double bottom);
    // The level axis, the static curve and CurveGain from ThresholdDb, Ratio, CurveGainDb,
    // ShapeDb, CompressorOn and Bypass. A threshold of exactly 0 dB becomes -0.001 dB. Throws
    // DesignError, changing nothing, when the parameters give a curve that is not finite.
    void ComputeCurve();
    // ComputeCurve, then the 33 table entries and the gate.
    void BuildGainTable();

    // The defaults that "New" gives the RMS and the peak objects, gain table built.
    void ApplyRmsDefaults(std::int32_t sampleRate);
    void ApplyPeakDefaults(std::int32_t sampleRate);

    // Time settings and the editor values they come from.
    void SetRmsTime(double value, std::int32_t sampleRate); // TimeConstantCoef = 1 - 10^(-v/(10 fs))
    double RmsTime(std::int32_t sampleRate) const;          // -10 fs log10(1 - TimeConstantCoef)
    void SetHoldMs(double ms, std::int32_t sampleRate);     // WindowSamples = Round(ms 0.001 fs)
    double HoldMs(std::int32_t sampleRate) const;           // WindowSamples / (fs 0.001)
    void SetDecay(double value);                            // RateCode = Round(value / 0.137)
    double Decay() const;                                   // RateCode * 0.137

    // The 33 gain-table entries as coefficient words, entry 0 first.
    std::array<std::uint32_t, kGainTableSize> GainTableWords() const;
    // The gain-table real-time send of RMS object 1 or 2 (base address 173 or 211): the
    // selector byte set to 0; entries 0, 1, 2 as three one-word messages (type 2) to base ..
    // base+2; entries 3..32 as six five-word messages (type 0) to base+3+5m. Entry j lands at
    // base + j.
    void SendGainTable(RealTimeSink& sink, int object) const;

  private:
    void checkCurveParameters() const;
    void computeCurve();
    bool curveIsFinite() const;
    // What New sets for every object; the RMS and peak objects differ in these arguments.
    void applyNewDefaults(float gateRamp, double holdMs, double decay, std::int32_t sampleRate);
};

} // namespace vela::dsp
