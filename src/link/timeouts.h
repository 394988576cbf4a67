#pragma once
// Every time-out of the device link, in one place.

#include <chrono>

namespace vela::timeouts {

using std::chrono::milliseconds;

inline constexpr milliseconds kUsbRead{1000};        // FT_SetTimeouts read
inline constexpr milliseconds kUsbWrite{1000};       // FT_SetTimeouts write
inline constexpr milliseconds kReplyTimer{2000};     // Wait_Timer of the transfer window
inline constexpr milliseconds kSerialPoll{70};       // the serial port is read this often
inline constexpr milliseconds kSerialWrite{6000};    // a stalled serial write gives up
inline constexpr milliseconds kEthernetSettle{50};   // pause before a TCP receive is read
inline constexpr milliseconds kEthernetConnect{5000};  // bound on a TCP connection attempt
inline constexpr milliseconds kPumpSlice{20};        // longest wait between two message pumps

}  // namespace vela::timeouts
