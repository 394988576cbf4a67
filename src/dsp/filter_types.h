#pragma once
// The stored type codes of TSOS.FilterType and the equaliser list that offers them.
// The stored code, not the list index, is what presets keep and the image carries.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace vela::dsp {

inline constexpr std::uint8_t kCodeBypass = 0;
inline constexpr std::uint8_t kCodeParametricAdaptive = 1;
inline constexpr std::uint8_t kCodeLowShelf6 = 2;
inline constexpr std::uint8_t kCodeHighShelf6 = 3;
inline constexpr std::uint8_t kCodeLowPassButterworth = 4;
inline constexpr std::uint8_t kCodeHighPassButterworth = 5;
inline constexpr std::uint8_t kCodeBandPass = 6;
inline constexpr std::uint8_t kCodeStopBand = 7;
inline constexpr std::uint8_t kCodeAllPass1 = 8;
inline constexpr std::uint8_t kCodeAllPass2 = 9;
inline constexpr std::uint8_t kCodeLowPassQ = 10;
inline constexpr std::uint8_t kCodeHighPassQ = 11;
inline constexpr std::uint8_t kCodeFirstOrder = 12;              // both first-order designs
inline constexpr std::uint8_t kCodeFirstOrderHighPassXover = 13; // DesignButterworth, sign -1
inline constexpr std::uint8_t kCodeLowShelf12Q = 15;
inline constexpr std::uint8_t kCodeHighShelf12Q = 16;
inline constexpr std::uint8_t kCodeParametricConstant = 17;
inline constexpr std::uint8_t kCodeLowShelf12 = 18;
inline constexpr std::uint8_t kCodeHighShelf12 = 19;

struct FilterListEntry {
    std::string_view text; // the equaliser list's text
    std::uint8_t code;     // the stored FilterType
};

// The equaliser's type list, in list order: entry i is list index i.
inline constexpr std::array<FilterListEntry, 17> kFilterList = {{
    {"Bypass", kCodeBypass},
    {"Parametric Q adap", kCodeParametricAdaptive},
    {"Parametric Q const", kCodeParametricConstant},
    {"Shelv Low 6dB", kCodeLowShelf6},
    {"Shelv High 6dB", kCodeHighShelf6},
    {"Shelv Low 12dB", kCodeLowShelf12},
    {"Shelv High 12dB", kCodeHighShelf12},
    {"Shelv Low 12dB + Q", kCodeLowShelf12Q},
    {"Shelv High 12dB + Q", kCodeHighShelf12Q},
    {"LowPass Buttw", kCodeLowPassButterworth},
    {"HiPass Buttw", kCodeHighPassButterworth},
    {"LowPass Q", kCodeLowPassQ},
    {"HiPass Q", kCodeHighPassQ},
    {"BandPass", kCodeBandPass},
    {"StopBand", kCodeStopBand},
    {"AllPass 1", kCodeAllPass1},
    {"AllPass 2", kCodeAllPass2},
}};

// The stored code of list index 0..16; nothing for any other index.
std::optional<std::uint8_t> FilterCodeOfListIndex(int index);
// The list index of a stored code; a code not in the list maps to 0 ("Bypass").
int ListIndexOfFilterCode(std::uint8_t code);
// The code the DSP image carries: 1..19 unchanged, anything else 0.
std::uint8_t ImageFilterCode(std::uint8_t code);

} // namespace vela::dsp
