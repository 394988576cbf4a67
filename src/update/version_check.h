#pragma once
// The published version text, parsed as the check has always read it, and compared with
// this program's own version 1.9.0.0.

#include <optional>
#include <string>
#include <string_view>

namespace vela {

inline constexpr long long kOwnMajor = 1, kOwnMinor = 9, kOwnRelease = 0, kOwnBuild = 0;

// The four fields as text; a field the body ends before is absent. The fourth field ends at
// position 12 of the body.
struct VersionFields {
    std::optional<std::string> major, minor, release, build;
};

VersionFields parseVersionText(std::string_view body);

// The body without its trailing blanks and line ends.
std::string_view trimTrailingSpace(std::string_view body);

struct VersionVerdict {
    bool newer = false;
    std::string error;  // set when a field the comparison needs is missing or not a whole number
    bool valid() const { return error.empty(); }
};

// Compares field by field with 1.9.0.0, stopping at the first that differs; only the fields
// the comparison reaches are converted. Trailing white space of the body is ignored.
VersionVerdict compareWithOwnVersion(std::string_view body);

}  // namespace vela
