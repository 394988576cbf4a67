#include "preset/output_procedures.h"
#include "preset/program_image.h"
#include "preset_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace vela {
namespace {

using test::PresetFixture;

struct ImageFixture : PresetFixture {
    ProgramImage image{};
    ImageFixture() { image.fill(0xAA); }
    const ProgramImage& generate() {
        generateProgramImage(p(), kSampleRate, image);
        return image;
    }
    std::vector<std::uint8_t> at(std::size_t offset, std::size_t n) const {
        return {image.begin() + static_cast<long>(offset), image.begin() + static_cast<long>(offset + n)};
    }
};

using Bytes = std::vector<std::uint8_t>;

TEST(ProgramImage, DefaultPresetLayout) {
    ImageFixture f;
    f.generate();
    EXPECT_EQ(f.at(0, 12), (Bytes{0x0D, 0xF0, 0x71, 0x00, 1, 1, 1, 1, 1, 1, 1, 1}));
    EXPECT_EQ(f.at(12, 6), (Bytes{'N', 'o', 'N', 'a', 'm', 'e'}));
    EXPECT_EQ(f.at(18, 34), Bytes(34, 0x20));
    EXPECT_EQ(f.at(52, 48), Bytes(48, 0xAA));  // not written
    EXPECT_EQ(f.image[3569], 0xAA);
    EXPECT_EQ(f.at(100, 12), (Bytes{0, 0, 0x14, 0x8A, 0, 0, 0, 0, 0, 0, 0, 0xB6}));
    EXPECT_EQ(f.at(112, 12), f.at(100, 12));
    EXPECT_EQ(f.at(124, 4), (Bytes{0, 0, 0, 1}));             // InputDelay 0 + 1
    EXPECT_EQ(f.at(128, 4), (Bytes{0x00, 0x80, 0x00, 0x00}));  // RouteGainA of output 1
    EXPECT_EQ(f.at(792 + 33 * 4, 4), (Bytes{0x0E, 0x80, 0x00, 0x00}));
    EXPECT_EQ(f.at(1376, 4), (Bytes{0x06, 0x80, 0x00, 0x00}));
    EXPECT_EQ(f.at(3168, 4), (Bytes{0x06, 0x80, 0x00, 0x00}));
    EXPECT_EQ(f.at(3172, 4), (Bytes{0x00, 0x80, 0x00, 0x00}));
    EXPECT_EQ(f.at(3176, 4), (Bytes{0x00, 0x80, 0x00, 0x00}));
    EXPECT_EQ(f.at(3360, 209), Bytes(209, 0x0D));
    // Parameter block: band 1 of output 1 is bypass at 1000 Hz, 0 dB, Q 0.707.
    EXPECT_EQ(f.at(3180, 6), (Bytes{0, 0x03, 0xE8, 0, 123, 193}));
    // Routing after New is -1 on both outputs.
    EXPECT_EQ(f.at(3180 + 96 + 20 + 8 + 3 + 18 + 16, 2), (Bytes{0xFF, 0xFF}));
    EXPECT_EQ(f.image[3359], 0);  // 63 - 4159 = -4096: the low byte of InputDelay 0
}

TEST(ProgramImage, MuteAndPolarityWords) {
    ImageFixture f;
    OutputSetMute(f.ctx, 0, true);
    OutputSetPolarity(f.ctx, 1, true);
    f.generate();
    EXPECT_EQ(f.at(3172, 4), (Bytes{0, 0, 0, 0}));
    EXPECT_EQ(f.image[3298], 1);  // OutputMute[1]
    EXPECT_EQ(f.at(3176, 4), (Bytes{0x0F, 0x80, 0x00, 0x00}));
    EXPECT_EQ(f.image[3303], 1);  // OutputPolarity[2]
}

TEST(ProgramImage, NameFieldIsFortyBytes) {
    ImageFixture f;
    SetSystemName(f.p(), std::string(45, 'x'));
    f.generate();
    EXPECT_EQ(f.at(12, 40), Bytes(40, 'x'));
    EXPECT_EQ(f.image[52], 0xAA);
    SetSystemName(f.p(), "");
    f.generate();
    EXPECT_EQ(f.at(12, 40), Bytes(40, 0x20));
}

TEST(ProgramImage, CoefficientsAreTruncatedTowardZero) {
    ImageFixture f;
    f.p().RouteGainA[0] = 0.3;
    f.p().RouteGainB[0] = -0.3;
    // Scaled fractions of .5 and more, where rounding would give the next word.
    f.p().RouteGainA[1] = 0.7;            // 5872025.6
    f.p().RouteGainB[1] = -2.5 / 8388608;  // -2.5
    f.generate();
    EXPECT_EQ(f.at(128, 4), (Bytes{0x00, 0x26, 0x66, 0x66}));
    EXPECT_EQ(f.at(132, 4), (Bytes{0x0F, 0xD9, 0x99, 0x9A}));
    EXPECT_EQ(f.at(136, 4), (Bytes{0x00, 0x59, 0x99, 0x99}));
    EXPECT_EQ(f.at(140, 4), (Bytes{0x0F, 0xFF, 0xFF, 0xFE}));
}

// The five words of a section as the unit expects them: b0, b1, b2, -a1, -a2, truncated.
Bytes sectionBytes(const dsp::TSOS& s) {
    Bytes out;
    for (const double x : {s.B0, s.B1, s.B2, s.A1, s.A2}) {
        const auto w = static_cast<std::uint32_t>(static_cast<std::int64_t>(std::trunc(x * 8388608.0))) & 0x0FFFFFFFu;
        for (const int shift : {24, 16, 8, 0}) out.push_back(static_cast<std::uint8_t>(w >> shift));
    }
    return out;
}

TEST(ProgramImage, DesignedBandsAndCrossoversAtTheirOffsets) {
    ImageFixture f;
    PresetParameters& p = f.p();
    const auto band = [&](int output, int n, std::uint8_t type, double gain, double hz, double q) -> dsp::TSOS& {
        dsp::TSOS& s = p.band(output, n);
        s.FilterType = type;
        s.Gain = gain;
        s.Frequency = hz;
        s.Q = q;
        s.Redesign(kSampleRate);
        return s;
    };
    const dsp::TSOS& peak = band(0, 3, dsp::kCodeParametricAdaptive, 6.0, 2500.0, 3.0);
    const dsp::TSOS& shelf = band(1, 5, dsp::kCodeLowShelf12Q, -4.0, 150.0, 0.8);
    // Every word differs from the others, so that no two can trade places unseen.
    const Bytes words = sectionBytes(peak);
    for (std::size_t i = 0; i < 5; ++i)
        for (std::size_t j = i + 1; j < 5; ++j)
            ASSERT_NE(Bytes(words.begin() + 4 * i, words.begin() + 4 * i + 4), Bytes(words.begin() + 4 * j, words.begin() + 4 * j + 4));

    const auto design = [](dsp::TXOVERPB& e, std::uint8_t alignment, int order, double hz) {
        e.Alignment = alignment;
        e.Order = order;
        e.Frequency = hz;
        e.CopyFrequencyToSections();
        ASSERT_FALSE(e.Design(kSampleRate));
    };
    design(p.Crossovers[0].LowPass, dsp::kAlignButterworthLowPass, 8, 2000.0);
    design(p.Crossovers[0].HighPass, dsp::kAlignLinkwitzRileyHighPass, 8, 300.0);
    design(p.Crossovers[1].LowPass, dsp::kAlignBesselLowPass, 7, 5000.0);
    design(p.Crossovers[1].HighPass, dsp::kAlignButterworthHighPass, 5, 90.0);
    f.generate();

    EXPECT_EQ(f.at(144 + 2 * 20, 20), words);               // output 1, band 3
    EXPECT_EQ(f.at(304 + 4 * 20, 20), sectionBytes(shelf));  // output 2, band 5
    EXPECT_EQ(f.at(144 + 3 * 20, 20), sectionBytes(dsp::TSOS{}));  // an untouched band passes
    // Biquads 4, 3, 2, 1, each low-pass then high-pass.
    for (std::size_t output = 0; output < 2; ++output)
        for (std::size_t k = 4; k >= 1; --k) {
            const std::size_t at = 464 + 160 * output + 40 * (4 - k);
            const auto& x = p.Crossovers[output];
            EXPECT_EQ(f.at(at, 20), sectionBytes(x.LowPass.Sections[k - 1])) << "output " << output + 1 << " biquad " << k;
            EXPECT_EQ(f.at(at + 20, 20), sectionBytes(x.HighPass.Sections[k - 1])) << "output " << output + 1 << " biquad " << k;
        }
}

TEST(ProgramImage, ParameterBlockConversions) {
    ImageFixture f;
    PresetParameters& p = f.p();
    p.band(1, 8).Gain = 15.0;  // wraps in 16 bits
    p.band(1, 8).FilterType = 14;  // passes through unchanged
    p.band(1, 7).FilterType = 200;  // not a type: 0
    DelaySetPosition(f.ctx, 0, 140);  // -1
    p.InputDelay = 300;
    p.InDeltrack.setPosition(4159 - 300);
    f.generate();
    EXPECT_EQ(f.at(3180 + 15 * 6, 6), (Bytes{14, 0x03, 0xE8, 0xFF, 0xE5, 193}));
    EXPECT_EQ(f.image[3180 + 14 * 6], 0);
    EXPECT_EQ(f.image[3180 + 96 + 20 + 8], 0xFF);
    EXPECT_EQ(f.image[3359], 300 & 0xFF);
    EXPECT_EQ(f.at(784, 8), (Bytes{0, 0, 0, 0, 0, 0, 0, 1}));
    // RMS 1 after New: threshold -6 -> 13, ratio 2 -> 8, knee 4 -> 12, limiter, time 100,
    // hold 70 ms, decay 22 x 0.137 = 3.
    EXPECT_EQ(f.at(3180 + 96 + 20 + 8 + 3, 9), (Bytes{13, 8, 12, 0, 0, 100, 0, 70, 3}));
}

}  // namespace
}  // namespace vela
