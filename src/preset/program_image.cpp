#include "preset/program_image.h"

#include "dsp/coefficient_word.h"
#include "dsp/filter_types.h"
#include "preset/byte_order.h"
#include "preset/text_codec.h"

#include <cmath>
#include <cstring>
#include <span>

namespace vela {
namespace {

constexpr std::size_t kNameAt = 12;
constexpr std::size_t kNameSize = 40;
constexpr std::size_t kWordsBeforeGains = 768;
constexpr double kRmsConstant = 4381.0;  // always the word 0E 80 00 00
constexpr double kFiller = 13.0;         // the word 06 80 00 00

// Appends big-endian values with a running byte count, as the unit's formats want them.
class BlockWriter {
public:
    explicit BlockWriter(std::span<std::uint8_t> buffer) : buf_(buffer) {}

    std::size_t size() const { return pos_; }
    void word32(std::int32_t v) {
        bytes::putBe32(buf_, pos_, static_cast<std::uint32_t>(v));
        pos_ += 4;
    }
    void coef(double x) {
        bytes::putBe32(buf_, pos_, std::isfinite(x) ? dsp::coefficientWord(x) : 0u);
        pos_ += 4;
    }
    void section(const dsp::TSOS& s) {
        for (int i = 0; i < 5; ++i) coef(s.Coefficient(i));
    }
    // Rounded to nearest, ties to even; the low 16 or 8 bits.
    void u16(double x) {
        bytes::putBe16(buf_, pos_, static_cast<std::uint16_t>(roundToInt(x)));
        pos_ += 2;
    }
    void u8(double x) { buf_[pos_++] = static_cast<std::uint8_t>(roundToInt(x)); }
    void flag(bool on) { buf_[pos_++] = on ? 1 : 0; }

private:
    std::span<std::uint8_t> buf_;
    std::size_t pos_ = 0;
};

void rmsRecord(BlockWriter& w, const dsp::TDYNAMIC& d) {
    for (double g : d.GainTable) w.coef(g);
    w.coef(kRmsConstant);
    w.coef(d.TimeConstantCoef);
    w.coef(d.ScaleCoef);
    w.word32(d.WindowSamples);
    w.word32(d.RateCode);
}

void peakRecord(BlockWriter& w, const dsp::TDYNAMIC& d) {
    for (double g : d.GainTable) w.coef(g);
    w.word32(d.WindowSamples);
    w.word32(d.RateCode);
}

std::size_t coefficientBlock(const PresetParameters& p, std::span<std::uint8_t> block) {
    BlockWriter w(block);
    for (int twice = 0; twice < 2; ++twice) {
        w.word32(5258);
        w.word32(0);
        w.word32(182);
    }
    w.word32(p.InputDelay + 1);
    w.coef(p.RouteGainA[0]);
    w.coef(p.RouteGainB[0]);
    w.coef(p.RouteGainA[1]);
    w.coef(p.RouteGainB[1]);
    for (const dsp::TSOS& band : p.PeqBands) w.section(band);
    for (const dsp::TXOVER& x : p.Crossovers)
        for (int k = dsp::kDesignedSections - 1; k >= 0; --k) {
            w.section(x.LowPass.Sections[static_cast<std::size_t>(k)]);
            w.section(x.HighPass.Sections[static_cast<std::size_t>(k)]);
        }
    w.word32(p.OutputDelay[0] + 1);
    w.word32(p.OutputDelay[1] + 1);
    rmsRecord(w, p.RmsDynamics[0]);
    rmsRecord(w, p.RmsDynamics[1]);
    peakRecord(w, p.PeakDynamics[0]);
    peakRecord(w, p.PeakDynamics[1]);
    // The filler is computed, so the gains always land at words 768 and 769.
    for (auto n = static_cast<std::size_t>(roundToInt(static_cast<double>(w.size()) / 4.0)); n < kWordsBeforeGains; ++n)
        w.coef(kFiller);
    w.coef(p.OutputGain[0] * p.MuteFactor[0]);
    w.coef(p.OutputGain[1] * p.MuteFactor[1]);
    return w.size();
}

std::size_t parameterBlock(const PresetParameters& p, std::int32_t fs, std::span<std::uint8_t> block) {
    BlockWriter w(block);
    const double ms = fs * 0.001;
    for (const dsp::TSOS& band : p.PeqBands) {
        w.u8(dsp::ImageFilterCode(band.FilterType));
        w.u16(band.Frequency);
        w.u16((-band.Gain - 15.0) / 0.1 + 273.0);
        w.u8(200.0 - 10.0 * band.Q);
    }
    for (std::size_t n = 0; n < kOutputs; ++n) {
        const dsp::TXOVER& x = p.Crossovers[n];
        w.u8(x.LowPass.Alignment);
        w.u16(x.LowPass.Frequency);
        w.u8(x.LowPass.Order);
        w.flag(p.LowPassOff[n] != 0);
        w.u8(x.HighPass.Alignment);
        w.u16(x.HighPass.Frequency);
        w.u8(x.HighPass.Order);
        w.flag(p.HighPassOff[n] != 0);
    }
    for (std::size_t n = 0; n < kOutputs; ++n) {
        w.u16(p.OutputTrack[n].position());
        w.flag(p.MuteOutput[n].on());
        w.flag(p.PolOutput[n].on());
    }
    w.u8(139 - p.DelTrack[0].position());
    w.u8(139 - p.DelTrack[1].position());
    w.u8(p.Temperature);
    for (std::size_t n = 0; n < kOutputs; ++n) {
        const dsp::TDYNAMIC& d = p.RmsDynamics[n];
        w.u8((0.45 - d.ThresholdDb) * 2.0);
        w.u8(10.0 - d.Ratio);
        w.u8(20.0 - 2.0 * d.ShapeDb);
        w.flag(d.CompressorOn != 0);
        w.flag(d.Bypass);
        w.u8(std::log10(1.0 - d.TimeConstantCoef) * (-10.0 * fs));
        w.u8(d.LeadSamples / ms);
        w.u8((d.WindowSamples - static_cast<double>(d.LeadSamples)) / ms);
        w.u8(d.RateCode * 0.137);
    }
    for (std::size_t n = 0; n < kOutputs; ++n) {
        const dsp::TDYNAMIC& d = p.RmsDynamics[n];
        w.u16(d.ImpedanceOhm * 100.0);
        w.u16(d.BoxPowerW);
        w.u16(d.AmpPowerW);
        w.u8(d.AmpGain);
        w.flag(d.AmpBridgeMode);
    }
    w.u8(p.InputRoute[0]);
    w.u8(p.InputRoute[1]);
    w.u8(p.SpeakerDistance[0]);
    w.u8(p.SpeakerDistance[1]);
    w.u8(p.RmsDynamics[0].GateSetting);
    w.u8(p.RmsDynamics[1].GateSetting);
    w.u8(p.RmsDynamics[0].GateRamp);
    w.u8(p.RmsDynamics[1].GateRamp);
    for (std::size_t n = 0; n < kOutputs; ++n) {
        const dsp::TDYNAMIC& d = p.PeakDynamics[n];
        w.u8((0.45 - d.ThresholdDb) * 2.0);
        w.u8(20.0 - 2.0 * d.ShapeDb);
        w.flag(d.Bypass);
        w.u8(d.WindowSamples / ms);
        w.u8(d.RateCode * 0.137);
    }
    w.u8(63 - p.InDeltrack.position());
    return w.size();
}

}  // namespace

void generateProgramImage(const PresetParameters& p, std::int32_t sampleRate, ProgramImage& image) {
    std::array<std::uint8_t, 4 * kCoefficientWords> coefficients{};
    std::array<std::uint8_t, kParameterBlockSize> parameters{};
    const std::size_t l1 = coefficientBlock(p, coefficients);
    const std::size_t l2 = parameterBlock(p, sampleRate, parameters);

    image[0] = 0x0D;
    image[1] = 0xF0;
    image[2] = 0x71;
    image[3] = 0x00;
    std::memset(image.data() + 4, 0x01, 8);
    std::string name = utf8ToLatin1(p.MainSystemName);
    if (name.size() > kNameSize) name.resize(kNameSize);
    std::memcpy(image.data() + kNameAt, name.data(), name.size());
    std::memset(image.data() + kNameAt + name.size(), 0x20, kNameSize - name.size());
    std::memcpy(image.data() + kCoefficientBlockAt, coefficients.data(), l1);
    std::memcpy(image.data() + kCoefficientBlockAt + l1, parameters.data(), l2);
    const std::size_t end = kCoefficientBlockAt + l1 + l2;
    if (end <= kImageLength) std::memset(image.data() + end, 0x0D, kImageLength + 1 - end);
}

}  // namespace vela
