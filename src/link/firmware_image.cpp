#include "link/firmware_image.h"

namespace vela {
namespace {

constexpr std::string_view kStandInLabel = "# STAND-IN";

std::uint8_t digit(std::string_view line, std::size_t at) {
    if (at >= line.size()) return 0;
    const char c = line[at];
    if (c >= '0' && c <= '9') return static_cast<std::uint8_t>(c - '0');
    if (c >= 'A' && c <= 'F') return static_cast<std::uint8_t>(c - 'A' + 10);
    if (c >= 'a' && c <= 'f') return static_cast<std::uint8_t>(c - 'a' + 10);
    return 0;
}

}  // namespace

std::vector<std::string_view> firmwareTextLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const auto nl = text.find('\n');
        std::string_view line = text.substr(0, nl);
        text = nl == std::string_view::npos ? std::string_view() : text.substr(nl + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.starts_with('#')) continue;
        lines.push_back(line);
    }
    return lines;
}

bool isStandInFirmware(std::string_view text) { return text.starts_with(kStandInLabel); }

FirmwareImage buildFirmwareImage(const std::vector<std::string_view>& lines) {
    FirmwareImage image{};
    std::size_t p = 0;
    // The last line is not converted.
    for (std::size_t l = 0; l + 1 < lines.size() && p + 5 <= image.size(); ++l)
        for (std::size_t k = 0; k < 5; ++k)
            image[p++] = static_cast<std::uint8_t>(16 * digit(lines[l], 6 * k + 2) + digit(lines[l], 6 * k + 3));
    return image;
}

std::optional<FirmwareImage> firmwareImageFromText(std::string_view text, std::string& error) {
    const auto lines = firmwareTextLines(text);
    if (lines.size() != kFirmwareLineCount) {
        error = "a DSP operating-system text has " + std::to_string(kFirmwareLineCount) + " lines, this one " +
                std::to_string(lines.size());
        return std::nullopt;
    }
    return buildFirmwareImage(lines);
}

}  // namespace vela
