#include "preset/preset_record.h"

#include "preset/byte_order.h"
#include "preset/text_codec.h"

#include <algorithm>
#include <cstring>

namespace vela {
namespace {

using namespace bytes;

constexpr std::size_t kSignatureAt = 0, kVersionAt = 10, kHeaderAt = 15;
constexpr std::size_t kSystemNameAt = 116, kProjectAt = 157, kEngineerAt = 188, kCommentsAt = 219;
constexpr std::size_t kSampleRateAt = 420, kTemperatureAt = 424, kOutputDelayAt = 472, kEqValuesAt = 480;
constexpr std::size_t kBandsAt = 504, kBandSize = 28;
constexpr std::size_t kOutputGainAt = 1848, kPolarityAt = 1864, kMuteAt = 1866;
constexpr std::size_t kCrossoverAt = 1868, kCrossoverSize = 28;
constexpr std::size_t kLowPassOffAt = 1924, kHighPassOffAt = 1926;
constexpr std::size_t kRmsAt = 1928, kPeakAt = 2120, kDynamicsSize = 64;
constexpr std::size_t kRouteAt = 2312, kRouteGainAAt = 2320, kRouteGainBAt = 2328, kRouteMarkerAt = 2336;
constexpr std::size_t kImportFileAt[2] = {2373, 2474};
constexpr std::size_t kImportTypeAt = 2576, kReferenceAt = 2580, kDistanceAt = 2584;
constexpr std::size_t kGateAt = 2592, kGateRampAt = 2604, kInputDelayAt = 2616;

// In reserved bytes: "route codes stored plus one".
constexpr std::uint8_t kRouteMarker[4] = {'R', 'T', '+', '1'};

using Bytes = std::span<std::uint8_t>;
using ConstBytes = std::span<const std::uint8_t>;

void putShortString(Bytes b, std::size_t at, std::size_t capacity, const std::string& utf8) {
    std::string s = utf8ToLatin1(utf8);
    if (s.size() > capacity) s.resize(capacity);
    b[at] = static_cast<std::uint8_t>(s.size());
    std::memcpy(b.data() + at + 1, s.data(), s.size());
}

std::string getShortString(ConstBytes b, std::size_t at, std::size_t capacity) {
    // A length byte beyond the capacity reads no further than the field.
    const std::size_t n = std::min<std::size_t>(b[at], capacity);
    return latin1ToUtf8(std::string_view(reinterpret_cast<const char*>(b.data() + at + 1), n));
}

void putDynamics(Bytes b, std::size_t at, const DynamicsRecord& d) {
    putLeF32(b, at + 0, d.ThresholdDb);
    putLeF32(b, at + 4, d.Ratio);
    putLeF32(b, at + 8, d.CurveGainDb);
    putLeF32(b, at + 12, d.TimeConstantCoef);
    putLeI32(b, at + 16, d.WindowSamples);
    putLeI32(b, at + 20, d.RateCode);
    putLeI32(b, at + 24, d.LeadSamples);
    b[at + 28] = d.AuxSwitch;
    b[at + 29] = d.CompressorOn;
    putLeF32(b, at + 32, d.ShapeDb);
    b[at + 36] = d.AmpBridgeMode;
    b[at + 37] = d.AuxFlag;
    b[at + 38] = d.Bypass;
    putLeF32(b, at + 40, d.AuxValue);
    putLeF32(b, at + 44, d.AmpGain);
    putLeF32(b, at + 48, d.ImpedanceOhm);
    putLeF32(b, at + 52, d.BoxPowerW);
    putLeF32(b, at + 56, d.AmpPowerW);
    putLeI32(b, at + 60, d.AuxCount);
}

DynamicsRecord getDynamics(ConstBytes b, std::size_t at) {
    DynamicsRecord d;
    d.ThresholdDb = getLeF32(b, at + 0);
    d.Ratio = getLeF32(b, at + 4);
    d.CurveGainDb = getLeF32(b, at + 8);
    d.TimeConstantCoef = getLeF32(b, at + 12);
    d.WindowSamples = getLeI32(b, at + 16);
    d.RateCode = getLeI32(b, at + 20);
    d.LeadSamples = getLeI32(b, at + 24);
    d.AuxSwitch = b[at + 28];
    d.CompressorOn = b[at + 29];
    d.ShapeDb = getLeF32(b, at + 32);
    d.AmpBridgeMode = b[at + 36];
    d.AuxFlag = b[at + 37];
    d.Bypass = b[at + 38];
    d.AuxValue = getLeF32(b, at + 40);
    d.AmpGain = getLeF32(b, at + 44);
    d.ImpedanceOhm = getLeF32(b, at + 48);
    d.BoxPowerW = getLeF32(b, at + 52);
    d.AmpPowerW = getLeF32(b, at + 56);
    d.AuxCount = getLeI32(b, at + 60);
    return d;
}

}  // namespace

std::array<std::uint8_t, kPresetRecordSize> encodePresetRecord(const PresetRecord& r) {
    std::array<std::uint8_t, kPresetRecordSize> out{};
    const Bytes b(out);
    putShortString(b, kSignatureAt, 5, r.Signature);
    putShortString(b, kVersionAt, 4, r.VersionText);
    putShortString(b, kHeaderAt, 100, r.HeaderText);
    putShortString(b, kSystemNameAt, 40, r.SystemName);
    putShortString(b, kProjectAt, 30, r.ProjectName);
    putShortString(b, kEngineerAt, 30, r.EngineerLabel);
    putShortString(b, kCommentsAt, 200, r.Comments);
    putLeI32(b, kSampleRateAt, r.SampleRate);
    putLeI32(b, kTemperatureAt, r.Temperature);
    for (std::size_t i = 0; i < 2; ++i) {
        putLeI32(b, kOutputDelayAt + 4 * i, r.OutputDelay[i]);
        putLeI32(b, kEqValuesAt + 4 * i, r.EqualiserEditorValues[i]);
    }
    for (std::size_t i = 0; i < 16; ++i) {
        const std::size_t at = kBandsAt + kBandSize * i;
        putLeF64(b, at, r.Bands[i].Gain);
        putLeF64(b, at + 8, r.Bands[i].Frequency);
        putLeF64(b, at + 16, r.Bands[i].Q);
        b[at + 24] = r.Bands[i].FilterType;
    }
    for (std::size_t i = 0; i < 2; ++i) {
        putLeF64(b, kOutputGainAt + 8 * i, r.OutputGain[i]);
        b[kPolarityAt + i] = r.OutputPolarity[i];
        b[kMuteAt + i] = r.OutputMute[i];
        const std::size_t at = kCrossoverAt + kCrossoverSize * i;
        const CrossoverRecord& x = r.Crossovers[i];
        putLeF32(b, at, x.HighPassFrequency);
        putLeF32(b, at + 4, x.LowPassFrequency);
        putLeI32(b, at + 8, x.LowPassOrder);
        putLeI32(b, at + 12, x.HighPassOrder);
        b[at + 24] = x.LowPassAlignment;
        b[at + 25] = x.HighPassAlignment;
        b[kLowPassOffAt + i] = r.LowPassOff[i];
        b[kHighPassOffAt + i] = r.HighPassOff[i];
    }
    for (std::size_t i = 0; i < 3; ++i) {
        putDynamics(b, kRmsAt + kDynamicsSize * i, r.Rms[i]);
        putDynamics(b, kPeakAt + kDynamicsSize * i, r.Peak[i]);
    }
    for (std::size_t i = 0; i < 2; ++i) {
        putLeI32(b, kRouteAt + 4 * i, r.InputRoute[i]);
        putLeI32(b, kRouteGainAAt + 4 * i, r.RouteGainA10[i]);
        putLeI32(b, kRouteGainBAt + 4 * i, r.RouteGainB10[i]);
        putShortString(b, kImportFileAt[i], 100, r.ImportFile[i]);
        putLeI32(b, kDistanceAt + 4 * i, r.SpeakerDistance[i]);
        putLeI32(b, kGateAt + 4 * i, r.GateSetting[i]);
        putLeI32(b, kGateRampAt + 4 * i, r.GateRamp[i]);
    }
    if (r.RouteCodesPlusOne) std::memcpy(out.data() + kRouteMarkerAt, kRouteMarker, sizeof kRouteMarker);
    putLeI32(b, kImportTypeAt, r.ImportDataType);
    putLeF32(b, kReferenceAt, r.ReferenceLevel);
    putLeI32(b, kInputDelayAt, r.InputDelay);
    return out;
}

bool hasPresetSignature(std::span<const std::uint8_t> bytes) {
    return bytes.size() >= 6 && bytes[0] == 5 && std::memcmp(bytes.data() + 1, kPresetSignature, 5) == 0;
}

bool decodePresetRecord(std::span<const std::uint8_t> b, PresetRecord& r) {
    if (b.size() != kPresetRecordSize && b.size() != kOlderPresetRecordSize) return false;
    r.Signature = getShortString(b, kSignatureAt, 5);
    r.VersionText = getShortString(b, kVersionAt, 4);
    r.HeaderText = getShortString(b, kHeaderAt, 100);
    r.SystemName = getShortString(b, kSystemNameAt, 40);
    r.ProjectName = getShortString(b, kProjectAt, 30);
    r.EngineerLabel = getShortString(b, kEngineerAt, 30);
    r.Comments = getShortString(b, kCommentsAt, 200);
    r.SampleRate = getLeI32(b, kSampleRateAt);
    r.Temperature = getLeI32(b, kTemperatureAt);
    for (std::size_t i = 0; i < 2; ++i) {
        r.OutputDelay[i] = getLeI32(b, kOutputDelayAt + 4 * i);
        r.EqualiserEditorValues[i] = getLeI32(b, kEqValuesAt + 4 * i);
    }
    for (std::size_t i = 0; i < 16; ++i) {
        const std::size_t at = kBandsAt + kBandSize * i;
        r.Bands[i] = {getLeF64(b, at), getLeF64(b, at + 8), getLeF64(b, at + 16), b[at + 24]};
    }
    for (std::size_t i = 0; i < 2; ++i) {
        r.OutputGain[i] = getLeF64(b, kOutputGainAt + 8 * i);
        r.OutputPolarity[i] = b[kPolarityAt + i];
        r.OutputMute[i] = b[kMuteAt + i];
        const std::size_t at = kCrossoverAt + kCrossoverSize * i;
        CrossoverRecord& x = r.Crossovers[i];
        x.HighPassFrequency = getLeF32(b, at);
        x.LowPassFrequency = getLeF32(b, at + 4);
        x.LowPassOrder = getLeI32(b, at + 8);
        x.HighPassOrder = getLeI32(b, at + 12);
        x.LowPassAlignment = b[at + 24];
        x.HighPassAlignment = b[at + 25];
        r.LowPassOff[i] = b[kLowPassOffAt + i];
        r.HighPassOff[i] = b[kHighPassOffAt + i];
    }
    for (std::size_t i = 0; i < 3; ++i) {
        r.Rms[i] = getDynamics(b, kRmsAt + kDynamicsSize * i);
        r.Peak[i] = getDynamics(b, kPeakAt + kDynamicsSize * i);
    }
    for (std::size_t i = 0; i < 2; ++i) {
        r.InputRoute[i] = getLeI32(b, kRouteAt + 4 * i);
        r.RouteGainA10[i] = getLeI32(b, kRouteGainAAt + 4 * i);
        r.RouteGainB10[i] = getLeI32(b, kRouteGainBAt + 4 * i);
        r.ImportFile[i] = getShortString(b, kImportFileAt[i], 100);
        r.SpeakerDistance[i] = getLeI32(b, kDistanceAt + 4 * i);
        r.GateSetting[i] = getLeI32(b, kGateAt + 4 * i);
        r.GateRamp[i] = getLeI32(b, kGateRampAt + 4 * i);
    }
    r.RouteCodesPlusOne = std::memcmp(b.data() + kRouteMarkerAt, kRouteMarker, sizeof kRouteMarker) == 0;
    r.ImportDataType = getLeI32(b, kImportTypeAt);
    r.ReferenceLevel = getLeF32(b, kReferenceAt);
    if (b.size() == kPresetRecordSize) r.InputDelay = getLeI32(b, kInputDelayAt);
    return true;
}

}  // namespace vela
