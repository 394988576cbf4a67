#pragma once
// The loudspeaker models this program knows, each with its library and manual file.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace vela {

struct ModelEntry {
    std::string_view name;  // as the model list shows it
    std::string_view libraryFile;
    std::string_view manualFile;
};

inline constexpr std::size_t kModelCount = 31;

class ModelCatalogue {
public:
    static const std::array<ModelEntry, kModelCount>& rows();
    // The unit stores row r as model code r + 2.
    static int modelCode(std::size_t row) { return static_cast<int>(row) + 2; }
    // The row a read-back model code selects; none below 2 or past the catalogue.
    static std::optional<std::size_t> rowForModelCode(std::int8_t code);
    // The row of a display name: exact first, then ignoring case and surrounding blanks.
    static std::optional<std::size_t> find(std::string_view name);
};

}  // namespace vela
