#include "preset/filter_names.h"

#include "core/args.h"
#include "dsp/filter_types.h"
#include "preset/preset_parameters.h"

#include <array>
#include <cctype>
#include <optional>
#include <stdexcept>
#include <string_view>

namespace vela {
namespace {

constexpr std::array<std::string_view, 9> kAlignmentNames = {
    "bypass",           "Butterworth low-pass", "Butterworth high-pass", "L-Riley low-pass", "L-Riley high-pass",
    "Bessel low-pass",  "Bessel high-pass",     "custom low-pass",       "custom high-pass",
};

// Lower case without blanks, so that "parametric q const" finds "Parametric Q const".
std::string folded(std::string_view s) {
    std::string out;
    for (const char c : s)
        if (!std::isspace(static_cast<unsigned char>(c))) out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::optional<long> wholeNumber(const std::string& value) {
    try {
        return parseInteger(value, "");
    } catch (const std::invalid_argument&) {
        return std::nullopt;
    }
}

template <typename Names>
std::string choices(const Names& names) {
    std::string text;
    for (const auto& n : names) text += (text.empty() ? "\"" : ", \"") + std::string(n) + "\"";
    return text;
}

}  // namespace

std::uint8_t filterTypeCode(const std::string& what, const std::string& value) {
    for (const auto& entry : dsp::kFilterList)
        if (folded(entry.text) == folded(value)) return entry.code;
    if (const auto n = wholeNumber(value))
        for (const auto& entry : dsp::kFilterList)
            if (entry.code == *n) return entry.code;
    std::string known;
    for (const auto& entry : dsp::kFilterList)
        known += (known.empty() ? "" : ", ") + std::to_string(entry.code) + " \"" + std::string(entry.text) + "\"";
    throw std::invalid_argument(what + ": not a filter type: " + value + " (give one of " + known + ")");
}

std::string filterTypeText(std::uint8_t code) {
    for (const auto& entry : dsp::kFilterList)
        if (entry.code == code) return std::string(entry.text) + " (" + std::to_string(code) + ")";
    return "unknown (" + std::to_string(code) + ")";
}

std::uint8_t alignmentCode(const std::string& what, const std::string& value) {
    for (std::size_t i = 0; i < kAlignmentNames.size(); ++i)
        if (folded(kAlignmentNames[i]) == folded(value)) return static_cast<std::uint8_t>(i);
    if (const auto n = wholeNumber(value); n && *n >= 0 && *n < static_cast<long>(kAlignmentNames.size()))
        return static_cast<std::uint8_t>(*n);
    throw std::invalid_argument(what + ": not an alignment: " + value + " (give 0..8 or one of " +
                                choices(kAlignmentNames) + ")");
}

std::string alignmentText(std::uint8_t code) {
    const std::string name = code < kAlignmentNames.size() ? std::string(kAlignmentNames[code]) : "unknown";
    return name + " (" + std::to_string(code) + ")";
}

std::uint8_t alignmentCodeForEdge(const std::string& what, const std::string& value, bool lowPassEdge) {
    for (std::size_t i = 0; i < kAlignmentListTexts.size(); ++i) {
        if (folded(kAlignmentListTexts[i]) != folded(value)) continue;
        const int index = static_cast<int>(i);
        return static_cast<std::uint8_t>(index == 0 ? 0 : lowPassEdge ? 2 * index - 1 : 2 * index);
    }
    const std::uint8_t code = alignmentCode(what, value);
    if (code != 0 && (code % 2 == 1) != lowPassEdge)
        throw std::invalid_argument(what + ": " + alignmentText(code) + " belongs on the " +
                                    (lowPassEdge ? "low edge (the high-pass)" : "high edge (the low-pass)"));
    return code;
}

}  // namespace vela
