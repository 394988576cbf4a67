#pragma once
// Buffers and reply flags shared by the three channels; one instance per session.

#include <array>
#include <cstdint>
#include <vector>

namespace vela {

inline constexpr std::size_t kEthernetReceiveSize = 101;
inline constexpr std::size_t kUsbBufferSize = 32768;

struct ChannelBuffers {
    std::uint8_t LastReplyByte = 0;
    bool ByteReceived = false;
    bool ReplyTimedOut = false;
    bool EthernetDataReceived = false;
    std::array<std::uint8_t, kEthernetReceiveSize> EthernetReceiveBuffer{};
    std::int32_t EthernetReceiveCount = 0;
    std::array<std::uint8_t, 64> EthernetSendBuffer{};
    std::array<std::uint8_t, kUsbBufferSize> UsbReceiveBuffer{};
    std::array<std::uint8_t, kUsbBufferSize> UsbSendBuffer{};
    // The data block of the last serial receive event.
    std::vector<std::uint8_t> SerialReceiveData;
};

}  // namespace vela
