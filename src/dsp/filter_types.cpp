#include "dsp/filter_types.h"

namespace vela::dsp {

std::optional<std::uint8_t> FilterCodeOfListIndex(int index) {
    if (index < 0 || index >= static_cast<int>(kFilterList.size())) return std::nullopt;
    return kFilterList[static_cast<std::size_t>(index)].code;
}

int ListIndexOfFilterCode(std::uint8_t code) {
    for (std::size_t i = 0; i < kFilterList.size(); ++i)
        if (kFilterList[i].code == code) return static_cast<int>(i);
    return 0;
}

std::uint8_t ImageFilterCode(std::uint8_t code) {
    return code >= 1 && code <= 19 ? code : 0;
}

} // namespace vela::dsp
