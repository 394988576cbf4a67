#include "ethernet/device_table.h"

namespace vela {

void DeviceTable::clear() {
    count_ = 0;
    dropped_ = 0;
}

bool DeviceTable::add(EthernetDevice device) {
    if (static_cast<std::size_t>(count_) >= records_.size()) {
        ++dropped_;
        return false;
    }
    records_[static_cast<std::size_t>(count_++)] = std::move(device);
    return true;
}

}  // namespace vela
