#pragma once
// The preset file record: 2620 bytes, little-endian, field by field. This is the decoded form
// with the file's own types; moving values between it and the parameter model is the preset
// file procedures' work.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace vela {

inline constexpr std::size_t kPresetRecordSize = 2620;
// Older files end before InputDelay.
inline constexpr std::size_t kOlderPresetRecordSize = 2616;
inline constexpr const char* kPresetSignature = "KTRMF";
inline constexpr const char* kPresetVersionText = "2.0.";
inline constexpr const char* kPresetVersion = "2.0.0.0";
inline constexpr const char* kPresetHeaderText = "Vela Acoustic Labs HALDA402.0.0.0";

struct BandRecord {
    double Gain = 0.0;
    double Frequency = 1000.0;
    double Q = 0.707;
    std::uint8_t FilterType = 0;
};

struct CrossoverRecord {
    float HighPassFrequency = 1000.0f;
    float LowPassFrequency = 1000.0f;
    std::int32_t LowPassOrder = 4;
    std::int32_t HighPassOrder = 4;
    std::uint8_t LowPassAlignment = 0;
    std::uint8_t HighPassAlignment = 0;
};

struct DynamicsRecord {
    float ThresholdDb = -23.0f;
    float Ratio = 1.0f;
    float CurveGainDb = 0.0f;
    float TimeConstantCoef = 0.0f;
    std::int32_t WindowSamples = 0;
    std::int32_t RateCode = 0;
    std::int32_t LeadSamples = 0;
    std::uint8_t AuxSwitch = 0;
    std::uint8_t CompressorOn = 0;
    float ShapeDb = 4.0f;
    std::uint8_t AmpBridgeMode = 1;
    std::uint8_t AuxFlag = 1;
    std::uint8_t Bypass = 0;
    float AuxValue = 10.0f;
    float AmpGain = 41.0f;
    float ImpedanceOhm = 8.0f;
    float BoxPowerW = 400.0f;
    float AmpPowerW = 600.0f;
    std::int32_t AuxCount = 1;
};

struct PresetRecord {
    // Texts are UTF-8 here; the file holds single-byte (Latin-1) characters.
    std::string Signature = kPresetSignature;
    std::string VersionText = kPresetVersionText;
    std::string HeaderText;
    std::string SystemName, ProjectName, EngineerLabel, Comments;
    std::int32_t SampleRate = 48000;
    std::int32_t Temperature = 25;
    std::array<std::int32_t, 2> OutputDelay{};
    std::array<std::int32_t, 2> EqualiserEditorValues{2, 2};
    std::array<BandRecord, 16> Bands{};  // bands 1..8 of output 1, then 1..8 of output 2
    std::array<double, 2> OutputGain{1.0, 1.0};
    std::array<std::uint8_t, 2> OutputPolarity{};
    std::array<std::uint8_t, 2> OutputMute{};
    std::array<CrossoverRecord, 2> Crossovers{};
    std::array<std::uint8_t, 2> LowPassOff{};
    std::array<std::uint8_t, 2> HighPassOff{};
    std::array<DynamicsRecord, 3> Rms{};
    std::array<DynamicsRecord, 3> Peak{};
    // Route codes as the file holds them; see RouteCodesPlusOne.
    std::array<std::int32_t, 2> InputRoute{};
    std::array<std::int32_t, 2> RouteGainA10{};  // round(RouteGainA x 10)
    std::array<std::int32_t, 2> RouteGainB10{};
    std::array<std::string, 2> ImportFile;
    std::int32_t ImportDataType = 0;
    float ReferenceLevel = 90.0f;
    std::array<std::int32_t, 2> SpeakerDistance{};
    std::array<std::int32_t, 2> GateSetting{};
    std::array<std::int32_t, 2> GateRamp{};
    std::int32_t InputDelay = 0;
    // Files of this writer store each route code plus one, so that readers which take one off
    // get the user's routing back; a marker in reserved bytes tells our reader so. Files
    // without it hold the codes as they were.
    bool RouteCodesPlusOne = false;
};

// The 2620 bytes of a record. Texts longer than their field are cut; reserved bytes are 0.
std::array<std::uint8_t, kPresetRecordSize> encodePresetRecord(const PresetRecord& record);

// Decodes 2620 or 2616 bytes (the older files lack InputDelay, which is then left as given
// in `record`). Reads only within `bytes`; returns false for any other size.
bool decodePresetRecord(std::span<const std::uint8_t> bytes, PresetRecord& record);

// True when the record's signature field is exactly the length byte 5 and "KTRMF".
bool hasPresetSignature(std::span<const std::uint8_t> bytes);

}  // namespace vela
