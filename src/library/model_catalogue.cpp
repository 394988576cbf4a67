#include "library/model_catalogue.h"

#include <cctype>

namespace vela {

const std::array<ModelEntry, kModelCount>& ModelCatalogue::rows() {
    static constexpr std::array<ModelEntry, kModelCount> kRows = {{
        {"M01", "M01.HLB", "M01.pdf"},
        {"M01 Display", "M01LCD.HLB", "M01LCD.pdf"},
        {"M02", "M02.HLB", "M02.pdf"},
        {"M02 Display ", "M02LCD.HLB", "M02LCD.pdf"},
        {"M03", "M03.HLB", "M03.pdf"},
        {"M03 Display", "M03LCD.HLB", "M03LCD.pdf"},
        {"M04", "M04.HLB", "M04.pdf"},
        {"M04 Display", "M04LCD.HLB", "M04LCD.pdf"},
        {"M05 Display", "M05LCD.HLB", "M05LCD.pdf"},
        {"M06", "M06.HLB", "M06.pdf"},
        {"M06 Display", "M06LCD.HLB", "M06LCD.pdf"},
        {"M07 Display", "M07LCD.HLB", "M07LCD.pdf"},
        {"M08 Display", "M08LCD.HLB", "M08LCD.pdf"},
        {"M09", "M09.HLB", "M09.pdf"},
        {"M01ps", "M01ps.HLB", "M01ps.pdf"},
        {"M02ps", "M02ps.HLB", "M02ps.pdf"},
        {"M03ps", "M03ps.HLB", "M03ps.pdf"},
        {"M04ps", "M04ps.HLB", "M04ps.pdf"},
        {"M05ps", "M05ps.HLB", "M05ps.pdf"},
        {"M06ps", "M06ps.HLB", "M06ps.pdf"},
        {"M07ps", "M07ps.HLB", "M07ps.pdf"},
        {"M08ps", "M08ps.HLB", "M08ps.pdf"},
        {"M10ps", "M10ps.HLB", "M10ps.pdf"},
        {"M11ps", "M11ps.HLB", "M11ps.pdf"},
        {"M12ps", "M12ps.HLB", "M12ps.pdf"},
        {"M13ps", "M13ps.HLB", "M13ps.pdf"},
        {"M14ps", "M14ps.HLB", "M14ps.pdf"},
        {"M15ps", "M15ps.HLB", "M15ps.pdf"},
        {"M06ps2", "M06ps2.HLB", "M06ps.pdf"},  // shares the manual of M06ps
        {"M12ps2", "M12ps2.HLB", "M12ps2.pdf"},
        {"M01ps2", "M01ps2.HLB", "M01ps2.pdf"},
    }};
    return kRows;
}

std::optional<std::size_t> ModelCatalogue::rowForModelCode(std::int8_t code) {
    if (code < 2 || code - 2 >= static_cast<int>(kModelCount)) return std::nullopt;
    return static_cast<std::size_t>(code - 2);
}

namespace {

std::string_view trim(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
    return s;
}

bool sameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

}  // namespace

std::optional<std::size_t> ModelCatalogue::find(std::string_view name) {
    const auto& r = rows();
    for (std::size_t i = 0; i < r.size(); ++i)
        if (r[i].name == name) return i;
    for (std::size_t i = 0; i < r.size(); ++i)
        if (sameIgnoringCase(trim(r[i].name), trim(name))) return i;
    return std::nullopt;
}

}  // namespace vela
