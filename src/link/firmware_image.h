#pragma once
// The DSP operating system: a text of 1536 lines of five "0xHH, " groups, carried inside the
// program, turned into the 7680-byte FirmwareImage that is written as program 15.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vela {

inline constexpr std::size_t kFirmwareLineCount = 1536;
inline constexpr std::size_t kFirmwareSize = 7680;
using FirmwareImage = std::array<std::uint8_t, kFirmwareSize>;

// The text built into the program (resources/firmware/dsp_operating_system.txt).
std::string_view builtInFirmwareText();

// One line of the image and where it stands in the text (counted from 1, remarks included),
// so that a refusal names the line the user sees in an editor.
struct FirmwareTextLine {
    std::size_t number = 0;
    std::string_view text;
};

// The image lines of a text: lines starting with '#' are remarks, not lines of the image.
std::vector<FirmwareTextLine> firmwareTextLines(std::string_view text);
// True for the placeholder text that ships when the unit's own program is not at hand.
bool isStandInFirmware(std::string_view text);

// Each line but the last gives five bytes, read from characters 6k+2 and 6k+3 of group k;
// the last five bytes stay zero. A group without two hexadecimal digits there refuses the
// text (nullopt, `error` naming the line): a byte taken as zero could leave the unit blocked.
std::optional<FirmwareImage> buildFirmwareImage(std::span<const FirmwareTextLine> lines, std::string& error);
// The image of a whole text; nullopt and a reason when it does not have 1536 lines or a
// line does not convert.
std::optional<FirmwareImage> firmwareImageFromText(std::string_view text, std::string& error);

}  // namespace vela
