#include "dsp/coefficient_word.h"
#include "preset/crossover_procedures.h"
#include "preset/dynamics_procedures.h"
#include "preset/equaliser_procedures.h"
#include "preset/output_procedures.h"
#include "preset_fixture.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vela {
namespace {

using test::PresetFixture;

std::vector<std::string> steps(const test::ScriptedUi& ui) {
    std::vector<std::string> out;
    for (const auto& [field, text] : ui.statuses)
        if (field == StatusField::PresetStep) out.push_back(text);
    return out;
}

TEST(NewPreset, StepsInOrderAndDefaults) {
    PresetFixture f;
    EXPECT_EQ(steps(f.ui), (std::vector<std::string>{"Gains...", "Main...", "Crossover...", "Equalization...",
                                                     "Dynamics...", "Delays...", "Loudness...", "System Info...",
                                                     "Names...", "Import Data...", "DONE..."}));
    EXPECT_EQ(f.ui.gaugePositionOf(Gauge::ProgressBar), 100);
    PresetParameters& p = f.p();
    EXPECT_EQ(p.SystemInfo.SystemName.text(), "NoName");
    EXPECT_EQ(p.MainSystemName, "NoName");
    EXPECT_EQ(p.SystemInfo.Comments.text(), "");
    for (int n = 0; n < 2; ++n) {
        const auto i = static_cast<std::size_t>(n);
        EXPECT_EQ(p.InputRoute[i], -1);
        EXPECT_EQ(p.RouteGainA[i], 1.0);
        EXPECT_EQ(p.RouteGainB[i], 0.0);
        EXPECT_EQ(p.RouteGainSum[i], 0.0);
        EXPECT_EQ(p.OutputGain[i], 1.0);
        EXPECT_EQ(p.OutputTrack[i].position(), 61);
        EXPECT_EQ(p.OutputDelay[i], 0);
        EXPECT_EQ(p.Crossovers[i].LowPass.Frequency, 5000.0);
        EXPECT_EQ(p.Crossovers[i].HighPass.Frequency, 100.0);
        EXPECT_EQ(p.Crossovers[i].HighPass.Order, 2);
        EXPECT_EQ(p.Crossover.Fc1Label[i], "  -- ");
        // The sub reinforcement starts at -0.1 dB, not 0 dB.
        EXPECT_DOUBLE_EQ(p.Loudness[i].Gain, -0.1);
        EXPECT_EQ(p.Loudness[i].DspAddress, 116);
    }
    EXPECT_EQ(p.InputDelay, 0);
    EXPECT_EQ(p.Temperature, 25);
    EXPECT_FLOAT_EQ(p.RmsDynamics[0].ThresholdDb, -6.0f);
    EXPECT_EQ(p.RmsDynamics[2].WindowSamples, 3360);
    EXPECT_EQ(p.RmsDynamics[0].RateCode, 22);
    EXPECT_EQ(p.PeakDynamics[1].WindowSamples, 480);
    EXPECT_EQ(p.PeakDynamics[1].RateCode, 365);
    EXPECT_EQ(p.band(1, 8).DspAddress, 86);
    EXPECT_FALSE(f.state.RealTimeMode);

    AdvanceInputRoute(p, 0);
    EXPECT_EQ(p.InputRoute[0], 0);
    AdvanceInputRoute(p, 0);
    AdvanceInputRoute(p, 0);
    EXPECT_EQ(p.InputRoute[0], 0);  // the button cycles through 0 and 1 only
}

TEST(NewPreset, CancelAtTheSaveQuestionChangesNothing) {
    PresetFixture f;
    OutputSetMute(f.ctx, 0, true);
    f.ui.answers = {Answer::Cancel};
    bool saved = false;
    EXPECT_FALSE(startNewPreset(f.ctx, [&] { saved = true; }));
    EXPECT_TRUE(f.state.NewCancelled);
    EXPECT_FALSE(saved);
    EXPECT_EQ(f.p().MuteFactor[0], 0.0);
    f.ui.answers = {Answer::Yes};
    EXPECT_TRUE(startNewPreset(f.ctx, [&] { saved = true; }));
    EXPECT_TRUE(saved);
    EXPECT_FALSE(f.state.NewCancelled);
    EXPECT_EQ(f.p().MuteFactor[0], 1.0);  // New unmutes along with the switch
}

TEST(OutputProcedures, LevelPolarityMuteAndTheirRealTimeFrame) {
    PresetFixture f;
    OutputSetLevelPosition(f.ctx, 0, 361);
    EXPECT_NEAR(f.p().OutputDb[0], -30.0, 1e-12);
    OutputSetLevelPosition(f.ctx, 0, 0);
    EXPECT_NEAR(f.p().OutputDb[0], 6.1, 1e-12);
    OutputSetLevelPosition(f.ctx, 0, 9999);  // limited to the slider's range
    EXPECT_EQ(f.p().OutputTrack[0].position(), 361);
    OutputSetLevelPosition(f.ctx, 0, 61);
    OutputSetPolarity(f.ctx, 0, true);
    EXPECT_EQ(f.p().OutputGain[0], -1.0);
    OutputSetMute(f.ctx, 0, true);
    EXPECT_EQ(f.p().OutputGain[0], -1.0);
    EXPECT_EQ(f.p().MuteFactor[0], 0.0);
    EXPECT_TRUE(f.sink.frames.empty());  // not in real-time mode

    f.realTime(true);
    OutputSetMute(f.ctx, 1, false);
    ASSERT_EQ(f.sink.frames.size(), 1u);
    EXPECT_EQ(f.sink.frames[0].type, dsp::RealTimeType::OneWordType3);
    EXPECT_EQ(f.sink.frames[0].address, 2561);
    EXPECT_EQ(f.sink.frames[0].words, std::vector<std::uint32_t>{0x00800000});
    EXPECT_EQ(f.sink.target, 0);
    // A frame in flight no longer drops the change: the sink (the link's queue) holds it.
    f.state.RealTimeBusy = true;
    OutputSetMute(f.ctx, 1, true);
    EXPECT_EQ(f.sink.frames.size(), 2u);
}

TEST(OutputProcedures, DelaySliderEndsAndTheirDisplay) {
    PresetFixture f;
    f.realTime(true);
    DelaySetPosition(f.ctx, 0, 140);
    EXPECT_EQ(f.p().OutputDelay[0], -1);
    ASSERT_EQ(f.sink.frames.size(), 1u);
    EXPECT_EQ(f.sink.frames[0].type, dsp::RealTimeType::OneWord);
    EXPECT_EQ(f.sink.frames[0].address, 171);
    EXPECT_EQ(f.sink.frames[0].words, std::vector<std::uint32_t>{0});
    DelaySetPosition(f.ctx, 1, 0);
    EXPECT_EQ(f.p().OutputDelay[1], 139);
    EXPECT_NEAR(f.p().DelayMs[1], 2.896, 5e-4);
    EXPECT_NEAR(f.p().DelayCm[1], 100.3, 0.05);
    EXPECT_EQ(f.p().DelaySummary[1], "2.90 ms");
    EXPECT_EQ(f.sink.frames.back().words, std::vector<std::uint32_t>{140});
    InputDelaySetSamples(f.ctx, -5);
    EXPECT_EQ(f.p().InputDelay, -1);
    InputDelaySetSamples(f.ctx, 100000);
    EXPECT_EQ(f.p().InputDelay, 4159);
    EXPECT_NEAR(SpeedOfSound(25), 346.29, 0.01);
}

TEST(EqualiserProcedures, SourceMappingsAndLimits) {
    PresetFixture f;
    // The editor shows output 2 band 3, so its sources follow the edits of that band.
    EqualiserSelectOutput(f.ctx, 1);
    EqualiserSelectBand(f.ctx, 3);
    EqualiserSetType(f.ctx, 1, 3, 1);
    EqualiserSetGainPosition(f.ctx, 1, 3, 0);
    EXPECT_DOUBLE_EQ(f.p().band(1, 3).Gain, 12.3);
    EqualiserSetGainPosition(f.ctx, 1, 3, 274);
    EXPECT_DOUBLE_EQ(f.p().band(1, 3).Gain, -15.1);
    EqualiserSetGain(f.ctx, 1, 3, 20.0);
    EXPECT_EQ(f.p().band(1, 3).Gain, 12.0);
    EXPECT_EQ(f.p().Equaliser.FilterGainSlider.position(), 3);
    EqualiserSetFrequency(f.ctx, 1, 3, 20.0);
    EXPECT_EQ(f.p().Equaliser.FrecSlider.position(), 18000);
    EqualiserSetFrequency(f.ctx, 1, 3, 20000.0);
    EXPECT_EQ(f.p().Equaliser.FrecSlider.position(), 0);
    EqualiserSetFrequencyPosition(f.ctx, 1, 3, 20000);  // below the field's 10 Hz
    EXPECT_EQ(f.p().band(1, 3).Frequency, 10.0);
    EqualiserSetQPosition(f.ctx, 1, 3, 200);
    EXPECT_EQ(f.p().band(1, 3).Q, 0.2);
    EXPECT_EQ(f.p().band(1, 3).FilterType, 1);
    EXPECT_EQ(f.p().Equaliser.caption, "PEQ2");
    EXPECT_EQ(f.p().Equaliser.graphTitle, "OUT 2 Equalization");

    f.realTime(true);
    EqualiserSetType(f.ctx, 1, 3, 2);  // "Parametric Q const" is stored as 17
    EXPECT_EQ(f.p().band(1, 3).FilterType, 17);
    ASSERT_EQ(f.sink.frames.size(), 1u);
    EXPECT_EQ(f.sink.frames[0].type, dsp::RealTimeType::FiveWords);
    EXPECT_EQ(f.sink.frames[0].address, 61);
    EXPECT_EQ(f.sink.frames[0].words.size(), 5u);
    // Selecting the other output brings back its remembered band.
    EqualiserSelectOutput(f.ctx, 0);
    EXPECT_EQ(f.p().Equaliser.SpinFiltro.position(), 1);
    EqualiserSelectOutput(f.ctx, 1);
    EXPECT_EQ(f.p().Equaliser.SpinFiltro.position(), 3);
    EXPECT_THROW(EqualiserSetGain(f.ctx, 2, 1, 1.0), std::invalid_argument);
    EXPECT_THROW(EqualiserSetGain(f.ctx, 0, 9, 1.0), std::invalid_argument);
}

TEST(CrossoverProcedures, EdgesKeptApartUnlessTheOtherIsOff) {
    PresetFixture f;
    CrossoverSetFrequency(f.ctx, 0, CrossoverEdge::HighPass, 6000);
    EXPECT_EQ(f.p().Crossovers[0].HighPass.Frequency, 5000.0);
    EXPECT_EQ(f.p().Crossover.L[0].FrecSpin.position(), 5000);
    CrossoverSetFrequency(f.ctx, 0, CrossoverEdge::HighPass, 100);
    CrossoverSetFrequency(f.ctx, 0, CrossoverEdge::LowPass, 50);
    EXPECT_EQ(f.p().Crossovers[0].LowPass.Frequency, 100.0);
    CrossoverSetOff(f.ctx, 1, CrossoverEdge::LowPass, true);
    CrossoverSetFrequency(f.ctx, 1, CrossoverEdge::HighPass, 6000);
    EXPECT_EQ(f.p().Crossovers[1].HighPass.Frequency, 6000.0);
}

TEST(CrossoverProcedures, AlignmentFromListIndexLabelsAndBesselLimit) {
    PresetFixture f;
    CrossoverSetAlignmentIndex(f.ctx, 0, CrossoverEdge::HighPass, 2);
    CrossoverSetAlignmentIndex(f.ctx, 0, CrossoverEdge::LowPass, 2);
    EXPECT_EQ(f.p().Crossovers[0].HighPass.Alignment, 4);
    EXPECT_EQ(f.p().Crossovers[0].LowPass.Alignment, 3);
    EXPECT_EQ(f.p().Crossover.Fc1Label[0], "100");
    EXPECT_EQ(f.p().Crossover.Fc2Label[0], "5000");
    CrossoverSetAlignmentIndex(f.ctx, 0, CrossoverEdge::HighPass, 4);
    EXPECT_EQ(f.p().Crossovers[0].HighPass.Alignment, 8);
    EXPECT_EQ(f.p().Crossover.Fc1Label[0], "   C ");
    // Loading back into the sources gives the same list indexes.
    LoadCrossoverIntoSources(f.ctx, 0);
    EXPECT_EQ(f.p().Crossover.L[0].TipoXCombo.index(), 4);
    EXPECT_EQ(f.p().Crossover.H[0].TipoXCombo.index(), 2);

    CrossoverSetAlignmentIndex(f.ctx, 1, CrossoverEdge::LowPass, 3);
    CrossoverSetOrder(f.ctx, 1, CrossoverEdge::LowPass, 4);
    f.ctx.notices.clear();
    CrossoverSetFrequency(f.ctx, 1, CrossoverEdge::LowPass, 15000);
    EXPECT_EQ(f.ctx.notices, (std::vector<Notice>{{MessageKind::Plain, "Maximum Bessel Cutoff = 14900 for LowPass of order 4"}}));
    EXPECT_EQ(f.p().Crossovers[1].LowPass.Frequency, 14900.0);
    EXPECT_EQ(f.p().Crossover.H[1].FrecSpin.position(), 14900);

    f.ctx.notices.clear();
    CrossoverSetFrequencyText(f.ctx, 1, CrossoverEdge::HighPass, "12x");
    EXPECT_EQ(f.ctx.notices, (std::vector<Notice>{{MessageKind::Plain, "Conversion Error"}}));
    EXPECT_EQ(f.p().Crossovers[1].HighPass.Frequency, 100.0);
    EXPECT_TRUE(f.ui.messages.empty());
}

TEST(CrossoverProcedures, AnEditSendsTheFourSectionsOfItsEdgeHighestFirst) {
    PresetFixture f;
    f.realTime(true);
    CrossoverSetAlignmentIndex(f.ctx, 0, CrossoverEdge::HighPass, 1);
    std::vector<std::uint16_t> addresses;
    for (const auto& frame : f.sink.frames) addresses.push_back(frame.address);
    EXPECT_EQ(addresses, (std::vector<std::uint16_t>{126, 121, 116, 111}));
    // The Butterworth order 2 uses one section; the others pass the signal and carry 1.0 as B0.
    EXPECT_EQ(f.sink.frames[0].words[0], 0x00800000u);
    EXPECT_NE(f.sink.frames[3].words[0], 0x00800000u);

    // The off switch decides whether the edges may cross: both edges of the output follow.
    f.sink.frames.clear();
    CrossoverSetOff(f.ctx, 1, CrossoverEdge::LowPass, true);
    addresses.clear();
    for (const auto& frame : f.sink.frames) addresses.push_back(frame.address);
    EXPECT_EQ(addresses, (std::vector<std::uint16_t>{166, 161, 156, 151, 146, 141, 136, 131}));
}

TEST(CrossoverProcedures, CombinedResponseOfAButterworthHighPass) {
    PresetFixture f;
    CrossoverSetAlignmentIndex(f.ctx, 0, CrossoverEdge::HighPass, 1);
    CrossoverSetFrequency(f.ctx, 0, CrossoverEdge::HighPass, 1000);
    const auto& grid = f.p().Grid;
    const auto& magnitude = f.p().Crossover.Magnitude[0];
    int at1k = 0;
    while (grid.frequency(at1k) < 1000) ++at1k;
    EXPECT_NEAR(magnitude[static_cast<std::size_t>(at1k)], -3.0, 0.2);
    EXPECT_LT(magnitude[0], -60.0f);
    EXPECT_NEAR(magnitude[300], 0.0, 0.05);
}

TEST(DynamicsProcedures, SourcesGiveBackStoredValuesAndRmsSendsItsTable) {
    PresetFixture f;
    LoadDynamicsIntoSources(f.ctx, DynamicsKind::Rms, 1);  // the editor shows output 2
    DynamicsSetThreshold(f.ctx, DynamicsKind::Rms, 1, -7.0);
    EXPECT_EQ(f.p().RmsEditor.threstrack.position(), 15);
    DynamicsSetThreshold(f.ctx, DynamicsKind::Rms, 1, -6.0);
    EXPECT_EQ(f.p().RmsEditor.threstrack.position(), 13);
    EXPECT_FLOAT_EQ(f.p().RmsDynamics[1].ThresholdDb, -6.0f);
    DynamicsSetThreshold(f.ctx, DynamicsKind::Rms, 1, -10.3);
    EXPECT_FLOAT_EQ(f.p().RmsDynamics[1].ThresholdDb, -10.5f);
    DynamicsSetRatio(f.ctx, DynamicsKind::Rms, 1, 0.0);  // the slider's end is 1:1, never 0
    EXPECT_FLOAT_EQ(f.p().RmsDynamics[1].Ratio, 1.0f);
    DynamicsSetKnee(f.ctx, DynamicsKind::Rms, 1, 3.5);
    EXPECT_FLOAT_EQ(f.p().RmsDynamics[1].ShapeDb, 3.5f);
    DynamicsSetCurveGain(f.ctx, DynamicsKind::Rms, 1, 2.0);
    EXPECT_NEAR(f.p().RmsDynamics[1].CurveGainDb, 2.0, 1e-6);
    DynamicsSetGate(f.ctx, DynamicsKind::Rms, 1, 10);
    DynamicsSetGateRamp(f.ctx, DynamicsKind::Rms, 1, 4);
    EXPECT_EQ(f.p().RmsDynamics[1].GainTable[5], 0.0);
    EXPECT_EQ(f.p().RmsDynamics[1].GainTable[6], 0.25);
    DynamicsSetHold(f.ctx, DynamicsKind::Peak, 0, 20.0);
    EXPECT_EQ(f.p().PeakDynamics[0].WindowSamples, 960);

    f.realTime(true);
    DynamicsSetBypass(f.ctx, DynamicsKind::Peak, 0, true);
    EXPECT_TRUE(f.sink.frames.empty());  // the peak tables are not sent
    DynamicsSetCompressor(f.ctx, DynamicsKind::Rms, 1, true);
    ASSERT_EQ(f.sink.frames.size(), 9u);
    EXPECT_EQ(f.sink.frames[0].address, 211);
    EXPECT_EQ(f.sink.frames[8].address, 211 + 28);
    EXPECT_EQ(f.p().RmsDynamics[1].CompressorOn, 1);
    EXPECT_THROW(DynamicsSetAmplifier(f.ctx, 0, AmplifierValue::ImpedanceOhm, 0.0), std::invalid_argument);
}

}  // namespace
}  // namespace vela
