#include "core/user_interface.h"

#include <algorithm>

namespace vela {

void UserInterface::pump(int times) {
    for (int i = 0; i < times; ++i) pump();
}

void GaugeKeeper::gaugeMaximum(Gauge gauge, int maximum) {
    maximum_[index(gauge)] = std::max(maximum, 0);
    position_[index(gauge)] = std::min(position_[index(gauge)], maximum_[index(gauge)]);
    gaugeMoved(gauge);
}

void GaugeKeeper::gaugePosition(Gauge gauge, int position) {
    // A gauge holds its position within 0..maximum, as a progress bar control does.
    const int clamped = std::clamp(position, 0, maximum_[index(gauge)]);
    if (clamped == position_[index(gauge)]) return;
    position_[index(gauge)] = clamped;
    gaugeMoved(gauge);
}

}  // namespace vela
