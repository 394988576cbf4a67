#pragma once
// The modules found by the last scan.

#include <array>
#include <cstddef>
#include <span>
#include <string>

namespace vela {

// One discovered module (the record TNet).
struct EthernetDevice {
    std::string IP;        // sender address of the reply
    std::string Name;      // sixth field: the module's host name
    std::string Model;     // fifth field: the loudspeaker model it reports
    std::string DeviceId;  // first field: names the module in a change-IP request

    bool operator==(const EthernetDevice&) const = default;
};

inline constexpr std::size_t kDeviceTableSize = 101;

class DeviceTable {
public:
    // DeviceCount := 0; the records are overwritten by the next scan.
    void clear();
    // Stores the device at DeviceCount; false (and counted as dropped) when all places are taken.
    bool add(EthernetDevice device);

    int DeviceCount() const { return count_; }
    // Replies of the chosen model that found no free place since the last clear.
    int dropped() const { return dropped_; }
    std::span<const EthernetDevice> devices() const { return {records_.data(), static_cast<std::size_t>(count_)}; }
    const EthernetDevice& operator[](std::size_t i) const { return records_.at(i); }

private:
    std::array<EthernetDevice, kDeviceTableSize> records_{};
    int count_ = 0;
    int dropped_ = 0;
};

}  // namespace vela
