#include "update/version_check.h"

#include <array>
#include <charconv>

namespace vela {
namespace {

// Positions 1..12 of the body hold the version; the build field never reaches beyond.
constexpr std::size_t kLastVersionPosition = 12;

// A short printable copy of the body for messages: it may be anything a server sends.
std::string shown(std::string_view body) {
    std::string out;
    for (const char c : body.substr(0, 40)) out += (c >= ' ' && c <= '~') ? c : '?';
    if (body.size() > 40) out += "...";
    return out;
}

std::optional<long long> wholeNumber(const std::string& text) {
    long long v = 0;
    const char* end = text.data() + text.size();
    const auto [p, ec] = std::from_chars(text.data(), end, v);
    if (text.empty() || ec != std::errc() || p != end) return std::nullopt;
    return v;
}

}  // namespace

std::string_view trimTrailingSpace(std::string_view s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' || s.back() == '\n')) s.remove_suffix(1);
    return s;
}

VersionFields parseVersionText(std::string_view body) {
    VersionFields f;
    std::size_t pos = 0;
    // Fields 1 to 3 run to the next "." (or to the end of the body when there is none).
    for (auto* field : {&f.major, &f.minor, &f.release}) {
        const auto dot = body.find('.', pos);
        *field = std::string(body.substr(pos, dot == std::string_view::npos ? std::string_view::npos : dot - pos));
        if (dot == std::string_view::npos) return f;
        pos = dot + 1;
    }
    f.build = pos < kLastVersionPosition ? std::string(body.substr(pos, kLastVersionPosition - pos)) : std::string();
    return f;
}

VersionVerdict compareWithOwnVersion(std::string_view body) {
    body = trimTrailingSpace(body);
    const VersionFields f = parseVersionText(body);
    const std::array<std::pair<const std::optional<std::string>*, const char*>, 4> fields = {
        {{&f.major, "major"}, {&f.minor, "minor"}, {&f.release, "release"}, {&f.build, "build"}}};
    constexpr std::array<long long, 4> own = {kOwnMajor, kOwnMinor, kOwnRelease, kOwnBuild};

    VersionVerdict verdict;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const auto& [text, name] = fields[i];
        if (!*text) {
            verdict.error = "The version text of the update server, \"" + shown(body) + "\", has no " + name + " field";
            return verdict;
        }
        const auto value = wholeNumber(**text);
        if (!value) {
            verdict.error = "The version text of the update server, \"" + shown(body) + "\", is not valid: its " + name +
                            " field \"" + shown(**text) + "\" is not a whole number";
            return verdict;
        }
        if (*value != own[i]) {
            verdict.newer = *value > own[i];
            return verdict;
        }
    }
    return verdict;
}

}  // namespace vela
