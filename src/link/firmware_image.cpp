#include "link/firmware_image.h"

namespace vela {
namespace {

constexpr std::string_view kStandInLabel = "# STAND-IN";

std::optional<std::uint8_t> digit(std::string_view line, std::size_t at) {
    if (at >= line.size()) return std::nullopt;
    const char c = line[at];
    if (c >= '0' && c <= '9') return static_cast<std::uint8_t>(c - '0');
    if (c >= 'A' && c <= 'F') return static_cast<std::uint8_t>(c - 'A' + 10);
    if (c >= 'a' && c <= 'f') return static_cast<std::uint8_t>(c - 'a' + 10);
    return std::nullopt;
}

}  // namespace

std::vector<FirmwareTextLine> firmwareTextLines(std::string_view text) {
    std::vector<FirmwareTextLine> lines;
    for (std::size_t number = 1; !text.empty(); ++number) {
        const auto nl = text.find('\n');
        std::string_view line = text.substr(0, nl);
        text = nl == std::string_view::npos ? std::string_view() : text.substr(nl + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.starts_with('#')) continue;
        lines.push_back({number, line});
    }
    return lines;
}

bool isStandInFirmware(std::string_view text) { return text.starts_with(kStandInLabel); }

std::optional<FirmwareImage> buildFirmwareImage(std::span<const FirmwareTextLine> lines, std::string& error) {
    FirmwareImage image{};
    std::size_t p = 0;
    // The last line is not converted.
    for (std::size_t l = 0; l + 1 < lines.size() && p + 5 <= image.size(); ++l) {
        const std::string_view line = lines[l].text;
        for (std::size_t k = 0; k < 5; ++k) {
            const auto high = digit(line, 6 * k + 2), low = digit(line, 6 * k + 3);
            if (!high || !low) {
                std::string group(6 * k < line.size() ? line.substr(6 * k, 4) : std::string_view());
                for (char& c : group)
                    if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7F) c = '?';
                error = "line " + std::to_string(lines[l].number) + ": group " + std::to_string(k + 1) + " (\"" +
                        group + "\") is not a byte in two hexadecimal digits";
                return std::nullopt;
            }
            image[p++] = static_cast<std::uint8_t>(16 * *high + *low);
        }
    }
    return image;
}

std::optional<FirmwareImage> firmwareImageFromText(std::string_view text, std::string& error) {
    const auto lines = firmwareTextLines(text);
    if (lines.size() != kFirmwareLineCount) {
        error = "a DSP operating-system text has " + std::to_string(kFirmwareLineCount) + " lines, this one " +
                std::to_string(lines.size());
        return std::nullopt;
    }
    return buildFirmwareImage(lines, error);
}

}  // namespace vela
