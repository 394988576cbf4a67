#pragma once
// PresetParameters: everything that makes up one program of the unit, with the editor
// controls that hold parameters modelled as parameter sources. One instance per session; the
// designer objects are created with it and reused by New, Open and the library maker.
//
// Per-output arrays are indexed 0 for output 1 and 1 for output 2.

#include "dsp/dynamics.h"
#include "dsp/response.h"
#include "dsp/sos.h"
#include "dsp/xover.h"
#include "preset/measurement_import.h"
#include "preset/parameter_source.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace vela {

inline constexpr int kOutputs = 2;
inline constexpr int kBandsPerOutput = 8;
inline constexpr int kPeqBands = 16;
inline constexpr int kDynamicsObjects = 3;
inline constexpr const char* kDefaultSystemName = "NoName";

// The equaliser's type list, in list order.
extern const std::array<std::string_view, 17> kFilterListTexts;
// The crossover editor's alignment list. The fifth entry presents the custom alignments
// (7 and 8), which presets may carry: index 4 maps to them by the same rule as the others.
extern const std::array<std::string_view, 5> kAlignmentListTexts;

// The system-info editor; its copy of the preset name is the one the preset file keeps.
struct SystemInfoFields {
    TextSource SystemName{40, kDefaultSystemName};
    TextSource ProjectName{30};
    TextSource EngineerLabel{30};
    TextSource Comments{200};
};

struct EqualiserEditor {
    PositionSource FrecSlider{0, 20000, 6000};  // p = Round(20000 - 20000 (f/20000)^(1/3))
    NumberSource FrecEdit{10.0, 22000.0, 1000.0, 1};
    PositionSource QSlider{2, 200, 193};  // p = Round(200 - 10 Q)
    NumberSource QEdit{0.2, 20.0, 0.707, 3};
    PositionSource FilterGainSlider{0, 274, 123};  // G = (123 - p) / 10 dB
    NumberSource FilterGainEdit{-15.0, 12.0, 0.0, 1};
    ListSource TipoFiltroCombo{kFilterListTexts};
    PositionSource SpinFiltro{1, kBandsPerOutput, 1};
    int selectedOutput = 0;                  // 0 = output 1
    std::array<int, kOutputs> rememberedBand{1, 1};
    std::string caption = "PEQ1";
    std::string graphTitle = "OUT 1 Equalization";
};

// The controls of one crossover edge: suffix 0L for the high-pass edge, 0H for the low-pass.
struct CrossoverEdgeSources {
    PositionSource FrecSpin{10, 22000, 1000};  // whole Hz
    NumberSource FrecEdit{10.0, 22000.0, 1000.0, 0};
    ListSource TipoXCombo{kAlignmentListTexts};
    PositionSource OrdenSpin{2, 8, 4, 2};
};

// The crossover controls, one set per output, so that an edit of either output goes through
// its own controls whichever output a window shows.
struct CrossoverEditor {
    std::array<CrossoverEdgeSources, kOutputs> L;  // FrecSpin0L ...: the HighPass edge, fc1
    std::array<CrossoverEdgeSources, kOutputs> H;  // FrecSpin0H ...: the LowPass edge, fc2
    // The frequency labels of each output: "  -- ", "   C " or the whole frequency.
    std::array<std::string, kOutputs> Fc1Label, Fc2Label;
    // The combined response of each output's cascade.
    std::array<dsp::ResponseCurve, kOutputs> Magnitude{}, Phase{};
};

// The RMS or the peak limiter editor.
struct DynamicsEditor {
    PositionSource threstrack{0, 101, 13};  // ThresholdDb = (1 - p) / 2, 0.5 dB steps
    PositionSource RatioTrack{0, 10, 8};     // Ratio = 10 - p
    PositionSource KneeTrack{0, 21, 12};     // ShapeDb = (20 - p) / 2
    PositionSource GainTrack{0, 181, 60};    // CurveGainDb = (181 - p) / 10 - 12.1
    SwitchSource LimiterB, CompressorB;      // Tags 0 and 1
    NumberSource HoldTimeEdit{0.0, 80.0, 70.0, 1};
    NumberSource RmsTimeConstEdit{5.0, 250.0, 100.0, 1};  // RMS editor only
    NumberSource DecayTimeEdit;
    PositionSource GatePosition{0, 33, 16};  // 0, as New sets it, is no gate
    PositionSource GateRampSource{1, 10, 2};
    int output = 0;  // Output1B / Output2B

    explicit DynamicsEditor(double decayMaximum) : DecayTimeEdit(1.0, decayMaximum, 3.0, 3) {}
};

struct PresetParameters {
    PresetParameters();

    // Identity: the system-info editor and the main window's copy of the name, which the
    // image takes.
    SystemInfoFields SystemInfo;
    std::string MainSystemName = kDefaultSystemName;
    std::string Caption;  // the main window's caption

    // Environment.
    PositionSource TemperaturaSpin{0, 50, 25};
    std::int32_t Temperature = 25;

    // Delays, in samples.
    PositionSource InDeltrack{0, 4160, 4159};
    std::int32_t InputDelay = 0;
    std::array<PositionSource, kOutputs> DelTrack{PositionSource{0, 140, 139}, PositionSource{0, 140, 139}};
    std::array<std::int32_t, kOutputs> OutputDelay{};
    std::array<std::int32_t, kOutputs> SpeakerDistance{};
    // Shown values: delay in ms and cm (msegdel1/2, Del1L/Del2L), the summary label, the
    // distance fields DistOut1Edit/DistOut2Edit in cm.
    std::array<double, kOutputs> DelayMs{}, DelayCm{}, DistanceCm{};
    std::array<std::string, kOutputs> DelaySummary{"0.00 ms", "0.00 ms"};
    std::array<std::int32_t, kOutputs> FineDelay{};
    std::array<double, kOutputs> FineDelayMs{};

    // Parametric equaliser: bands 1..8 of output 1 at 0..7, of output 2 at 8..15.
    std::array<dsp::TSOS, kPeqBands> PeqBands{};
    EqualiserEditor Equaliser;
    std::array<std::int32_t, 2> EqualiserEditorValues{2, 2};  // saved, never read back
    dsp::ResponseGrid Grid{48000};

    // Crossover.
    std::array<dsp::TXOVER, kOutputs> Crossovers{};
    std::array<std::uint8_t, kOutputs> LowPassOff{};
    std::array<std::uint8_t, kOutputs> HighPassOff{};
    CrossoverEditor Crossover;

    // Output level, mute and polarity.
    std::array<PositionSource, kOutputs> OutputTrack{PositionSource{0, 361, 61}, PositionSource{0, 361, 61}};
    std::array<SwitchSource, kOutputs> PolOutput{}, MuteOutput{};
    std::array<double, kOutputs> OutputDb{};  // Output1dBL, Output2dBL
    std::array<float, kOutputs> PolaritySign{1.0f, 1.0f};
    std::array<double, kOutputs> OutputGain{1.0, 1.0};
    std::array<double, kOutputs> MuteFactor{1.0, 1.0};

    // Input routing.
    std::array<std::int32_t, kOutputs> InputRoute{};
    std::array<double, kOutputs> RouteGainA{1.0, 1.0}, RouteGainB{}, RouteGainSum{};

    // Dynamics: entries 0 and 1 serve outputs 1 and 2; entry 2 is kept and saved only.
    std::array<dsp::TDYNAMIC, kDynamicsObjects> RmsDynamics{};
    std::array<dsp::TDYNAMIC, kDynamicsObjects> PeakDynamics{};
    DynamicsEditor RmsEditor{80.0};
    DynamicsEditor PeakEditor{250.0};

    // Sub reinforcement ("loudness"): one section per output, both at address 116.
    std::array<dsp::TSOS, kOutputs> Loudness{};
    std::array<PositionSource, kOutputs> LoudnessGainSlider{PositionSource{0, 121, 121},
                                                            PositionSource{0, 121, 121}};  // G = (121 - p - 1) / 10 dB
    std::array<dsp::ResponseCurve, kOutputs> LoudnessMagnitude{}, LoudnessPhase{};

    // Measurement import, and the folder of the preset file last opened (the import's
    // fallback).
    ImportData Import;
    std::string OpenDialogFileName;
    std::string PresetFolder;
    // The preset file being opened, named in the warnings about its stored values.
    std::string OpeningFile;

    dsp::TSOS& band(int output, int band) {
        return PeqBands[static_cast<std::size_t>(output * kBandsPerOutput + band - 1)];
    }
    const dsp::TSOS& band(int output, int band) const {
        return PeqBands[static_cast<std::size_t>(output * kBandsPerOutput + band - 1)];
    }
};

}  // namespace vela
