#include "library/library_window_state.h"

namespace vela {

void ApplyReceivedImage(std::span<const std::uint8_t> received, LibraryWindowState& library) {
    if (received.size() <= 4) return;
    const auto model = static_cast<std::int8_t>(received[4]);
    library.lockedByUnit = model >= 2;
    library.unitModelCode = model;
    if (model >= 2) {
        library.modelListEnabled = false;
        library.chooseRow(model - 2);
    } else {
        library.modelListEnabled = true;
    }
}

}  // namespace vela
