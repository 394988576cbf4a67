// An edit names the band, edge or dynamics object it changes: it changes exactly that stored
// value, sends exactly that value's real-time frames, and says what it has to say as notices
// instead of message boxes.
#include "dsp/power_check.h"
#include "preset/crossover_procedures.h"
#include "preset/dynamics_procedures.h"
#include "preset/equaliser_procedures.h"
#include "preset/output_procedures.h"
#include "preset_fixture.h"

#include <gtest/gtest.h>

#include <tuple>

namespace vela {
namespace {

// Fails the test at any message box.
class NoBoxesUi : public test::ScriptedUi {
public:
    Answer message(MessageKind, Buttons, std::string_view text) override {
        ADD_FAILURE() << "message box: " << text;
        return Answer::Ok;
    }
};

// New's preset in real-time mode, edited through a context that allows no message box.
struct EditFixture : test::PresetFixture {
    NoBoxesUi noBoxes;
    PresetContext edit{p(), state, noBoxes, kSampleRate, &sink};

    EditFixture() {
        realTime(true);
        sink.frames.clear();
    }
    std::vector<std::uint16_t> addresses() const {
        std::vector<std::uint16_t> out;
        for (const auto& frame : sink.frames) out.push_back(frame.address);
        return out;
    }
};

// What a band holds and what the unit gets of it.
auto stateOf(const dsp::TSOS& s) { return std::tuple(s.FilterType, s.Gain, s.Frequency, s.Q, s.Words()); }

auto stateOf(const dsp::TXOVERPB& e) {
    std::vector<std::array<std::uint32_t, 5>> words;
    for (const dsp::TSOS& s : e.Sections) words.push_back(s.Words());
    return std::tuple(e.Alignment, e.Order, e.Frequency, e.SectionCount, words);
}

TEST(EditTargets, AnEqualiserEditChangesAndSendsItsBandOnly) {
    EditFixture f;
    const PresetParameters before = f.p();
    EqualiserSetType(f.edit, 1, 5, 1);  // "Parametric Q adap"
    EqualiserSetGain(f.edit, 1, 5, 4.5);
    for (int out = 0; out < kOutputs; ++out)
        for (int b = 1; b <= kBandsPerOutput; ++b) {
            if (out == 1 && b == 5) continue;
            EXPECT_EQ(stateOf(f.p().band(out, b)), stateOf(before.band(out, b))) << out << " " << b;
        }
    const dsp::TSOS& band = f.p().band(1, 5);
    EXPECT_EQ(band.FilterType, 1);
    EXPECT_EQ(band.Gain, 4.5);
    EXPECT_EQ(f.addresses(), (std::vector<std::uint16_t>{71, 71}));
    const auto words = band.Words();
    EXPECT_EQ(f.sink.frames[1].type, dsp::RealTimeType::FiveWords);
    EXPECT_EQ(f.sink.frames[1].words, std::vector<std::uint32_t>(words.begin(), words.end()));
    // The editor still shows output 1 band 1, as it did.
    EXPECT_EQ(f.p().Equaliser.selectedOutput, 0);
    EXPECT_EQ(f.p().Equaliser.SpinFiltro.position(), 1);
    EXPECT_EQ(f.p().Equaliser.FilterGainEdit.value(), 0.0);
    EXPECT_TRUE(f.edit.notices.empty());
}

TEST(EditTargets, SliderPositionsAndFieldValuesStoreTheSame) {
    EditFixture slider, field;
    for (EditFixture* f : {&slider, &field}) EqualiserSetType(f->edit, 0, 2, 1);
    EqualiserSetGainPosition(slider.edit, 0, 2, 63);
    EqualiserSetGain(field.edit, 0, 2, 6.0);
    EqualiserSetQPosition(slider.edit, 0, 2, 150);
    EqualiserSetQ(field.edit, 0, 2, 5.0);
    EqualiserSetFrequencyPosition(slider.edit, 0, 2, 10000);
    EqualiserSetFrequency(field.edit, 0, 2, 2500.0);
    EXPECT_EQ(stateOf(slider.p().band(0, 2)), stateOf(field.p().band(0, 2)));
    EXPECT_EQ(slider.p().band(0, 2).Frequency, 2500.0);
    // Out of range, each is limited by its control: the field to -15 dB, the slider to -15.1 dB.
    EqualiserSetGainPosition(slider.edit, 0, 2, 999);
    EqualiserSetGain(field.edit, 0, 2, -99.0);
    EXPECT_DOUBLE_EQ(slider.p().band(0, 2).Gain, -15.1);
    EXPECT_EQ(field.p().band(0, 2).Gain, -15.0);
}

TEST(EditTargets, ACrossoverEditRedesignsAndSendsItsEdgeOnly) {
    EditFixture f;
    const auto before = f.p().Crossovers;
    const auto response = f.p().Crossover.Magnitude;
    CrossoverSetAlignmentIndex(f.edit, 1, CrossoverEdge::LowPass, 1);  // ButtW
    CrossoverSetOrder(f.edit, 1, CrossoverEdge::LowPass, 8);
    CrossoverSetFrequency(f.edit, 1, CrossoverEdge::LowPass, 2000);
    const dsp::TXOVERPB& edge = f.p().Crossovers[1].LowPass;
    EXPECT_EQ(edge.Alignment, dsp::kAlignButterworthLowPass);
    EXPECT_EQ(edge.Order, 8);
    EXPECT_EQ(edge.Frequency, 2000.0);
    EXPECT_EQ(edge.SectionCount, 4);
    EXPECT_EQ(stateOf(f.p().Crossovers[1].HighPass), stateOf(before[1].HighPass));
    EXPECT_EQ(stateOf(f.p().Crossovers[0].HighPass), stateOf(before[0].HighPass));
    EXPECT_EQ(stateOf(f.p().Crossovers[0].LowPass), stateOf(before[0].LowPass));
    EXPECT_EQ(f.p().Crossover.Magnitude[0], response[0]);
    EXPECT_NE(f.p().Crossover.Magnitude[1], response[1]);
    EXPECT_EQ(f.p().Crossover.Fc2Label[1], "2000");

    // Three edits, each the low-pass edge's four sections, highest first; the last carries
    // what the edge now holds.
    const std::vector<std::uint16_t> edgeAddresses{146, 141, 136, 131};
    std::vector<std::uint16_t> expected;
    for (int i = 0; i < 3; ++i) expected.insert(expected.end(), edgeAddresses.begin(), edgeAddresses.end());
    EXPECT_EQ(f.addresses(), expected);
    for (std::size_t k = 0; k < 4; ++k) {
        const auto words = edge.Sections[3 - k].Words();
        EXPECT_EQ(f.sink.frames[8 + k].words, std::vector<std::uint32_t>(words.begin(), words.end()));
    }
    // A custom section's own values redesign that edge only.
    f.sink.frames.clear();
    CrossoverSetAlignmentIndex(f.edit, 0, CrossoverEdge::HighPass, 4);
    CrossoverSetSection(f.edit, 0, CrossoverEdge::HighPass, 1, 80.0, 0.9);
    EXPECT_EQ(f.p().Crossovers[0].HighPass.Sections[0].Frequency, 80.0);
    EXPECT_EQ(f.addresses(), (std::vector<std::uint16_t>{126, 121, 116, 111, 126, 121, 116, 111}));
    EXPECT_TRUE(f.edit.notices.empty());
}

TEST(EditTargets, ADynamicsEditChangesAndSendsItsObjectOnly) {
    EditFixture f;
    const auto rms = f.p().RmsDynamics;
    const auto peak = f.p().PeakDynamics;
    DynamicsSetThreshold(f.edit, DynamicsKind::Rms, 1, -10.0);
    EXPECT_EQ(f.p().RmsDynamics[1].ThresholdDb, -10.0f);
    EXPECT_NE(f.p().RmsDynamics[1].GainTable, rms[1].GainTable);
    for (std::size_t k : {0u, 2u}) {
        EXPECT_EQ(f.p().RmsDynamics[k].ThresholdDb, rms[k].ThresholdDb);
        EXPECT_EQ(f.p().RmsDynamics[k].GainTable, rms[k].GainTable);
    }
    for (std::size_t k = 0; k < peak.size(); ++k) EXPECT_EQ(f.p().PeakDynamics[k].GainTable, peak[k].GainTable);
    // Its table: three single words at 211..213, then six frames of five from 214 on.
    EXPECT_EQ(f.addresses(), (std::vector<std::uint16_t>{211, 212, 213, 214, 219, 224, 229, 234, 239}));
    const auto words = f.p().RmsDynamics[1].GainTableWords();
    EXPECT_EQ(f.sink.frames[2].words, std::vector<std::uint32_t>{words[2]});
    EXPECT_EQ(f.sink.frames[8].words, std::vector<std::uint32_t>(words.begin() + 28, words.end()));
    // The editor still shows output 1's object with its threshold.
    EXPECT_EQ(f.p().RmsEditor.output, 0);
    EXPECT_EQ(f.p().RmsEditor.threstrack.position(), 13);

    f.sink.frames.clear();
    DynamicsSetKnee(f.edit, DynamicsKind::Peak, 1, 1.0);
    DynamicsSetThreshold(f.edit, DynamicsKind::Rms, 2, -9.0);  // kept and saved, never sent
    EXPECT_TRUE(f.sink.frames.empty());
    EXPECT_EQ(f.p().PeakDynamics[1].ShapeDb, 1.0f);
    EXPECT_EQ(f.p().PeakDynamics[0].ShapeDb, peak[0].ShapeDb);
}

TEST(EditTargets, ASubReinforcementEditChangesAndSendsItsOutputOnly) {
    EditFixture f;
    const dsp::TSOS other = f.p().Loudness[0];
    const auto otherResponse = f.p().LoudnessMagnitude[0];
    LoudnessSetPosition(f.edit, 1, 61);  // (121 - 61 - 1) / 10 = 5.9 dB
    EXPECT_DOUBLE_EQ(f.p().Loudness[1].Gain, 5.9);
    EXPECT_EQ(stateOf(f.p().Loudness[0]), stateOf(other));
    EXPECT_EQ(f.p().LoudnessMagnitude[0], otherResponse);
    EXPECT_EQ(f.p().LoudnessGainSlider[0].position(), 121);
    EXPECT_EQ(f.addresses(), std::vector<std::uint16_t>{116});
    const auto words = f.p().Loudness[1].Words();
    EXPECT_EQ(f.sink.frames[0].words, std::vector<std::uint32_t>(words.begin(), words.end()));
}

TEST(EditTargets, EveryRmsChangeChecksThePowerAndWarnsInANotice) {
    EditFixture f;
    const Notice exceeded{MessageKind::Warning,
                          "RMS dynamics 1: WARNING!!! The Out Power exceeds your Box Power capacity! (1803.4 W)"};
    // New's limiter at -6 dB into 8 ohm with a gain of 41 gives 1803.4 W, above the 400 W box.
    DynamicsSetGate(f.edit, DynamicsKind::Rms, 0, 3);
    EXPECT_EQ(f.edit.notices, std::vector<Notice>{exceeded});
    f.edit.notices.clear();
    DynamicsSetAmplifier(f.edit, 0, AmplifierValue::BoxPowerW, 2000.0);
    EXPECT_TRUE(f.edit.notices.empty());
    DynamicsSetThreshold(f.edit, DynamicsKind::Rms, 0, -3.0);  // 3 dB more: about 3598 W
    ASSERT_EQ(f.edit.notices.size(), 1u);
    EXPECT_TRUE(f.edit.notices[0].text.starts_with("RMS dynamics 1: WARNING!!! The Out Power exceeds"));
    f.edit.notices.clear();
    DynamicsSetBridgeMode(f.edit, 0, false);  // a quarter of the power
    DynamicsSetBypass(f.edit, DynamicsKind::Peak, 0, true);
    DynamicsSetBypass(f.edit, DynamicsKind::Rms, 1, true);  // bypassed: +18 dBu, far above 400 W
    EXPECT_EQ(f.edit.notices.size(), 1u);
    EXPECT_TRUE(f.edit.notices[0].text.starts_with("RMS dynamics 2: "));
}

TEST(EditTargets, NoticesAreShownAsMessagesOnlyWhenAsked) {
    EditFixture f;
    CrossoverSetAlignmentIndex(f.edit, 0, CrossoverEdge::LowPass, 3);
    CrossoverSetOrder(f.edit, 0, CrossoverEdge::LowPass, 8);
    CrossoverSetFrequencyText(f.edit, 0, CrossoverEdge::LowPass, "20 kHz");
    CrossoverSetFrequency(f.edit, 0, CrossoverEdge::LowPass, 20000);
    EXPECT_EQ(f.edit.notices, (std::vector<Notice>{{MessageKind::Plain, "Conversion Error"},
                                                   {MessageKind::Plain, "Maximum Bessel Cutoff = 10900 for LowPass of order 8"}}));
    EXPECT_EQ(f.p().Crossovers[0].LowPass.Frequency, 10900.0);
    f.ctx.notices = f.edit.notices;
    f.ctx.showNotices();
    EXPECT_TRUE(f.ctx.notices.empty());
    ASSERT_EQ(f.ui.messages.size(), 2u);
    EXPECT_EQ(f.ui.messages[1].kind, MessageKind::Plain);
    EXPECT_EQ(f.ui.messages[1].buttons, Buttons::Ok);
    EXPECT_EQ(f.ui.messages[1].text, "Maximum Bessel Cutoff = 10900 for LowPass of order 8");
}

}  // namespace
}  // namespace vela
