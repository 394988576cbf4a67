#pragma once
// The vocabulary of the handshaken exchange with the unit: command codes, the result, and
// which channel an exchange runs on.

#include <cstdint>
#include <string_view>

namespace vela {

// What the unit is asked to do; the code is the COMMAND byte of an exchange.
enum class CommandCode : std::uint8_t {
    ProbeCommand = 0,
    DspProgramCommand = 1,
    WriteProgramCommand = 3,
    ReadRequestCommand = 4,
    KeyboardLockCommand = 5,
    PasswordCommand = 6,
    ChangeProgramCommand = 7,
    ResetCommand = 8,
    KeyboardOnlyChangeCommand = 20,
};

// Protected: the unit refused to write a protected memory (it answered the memory number with
// 0xFF); a failure to every caller that does not tell it apart.
enum class ExchangeResult : std::uint8_t { Success = 0, Failure = 1, Protected = 2 };

// The three byte channels; the caller picks the one whose link flag is set.
enum class Channel { Usb, Ethernet, Serial };

std::string_view channelName(Channel channel);

inline constexpr std::uint8_t kStartByte = 0x65;   // 'e'
inline constexpr std::uint8_t kEndByte = 0x55;     // 'U'
inline constexpr std::uint8_t kProtectedAnswer = 0xFF;
inline constexpr std::size_t kBlockSize = 64;
inline constexpr std::uint8_t kFirmwareProgramNumber = 15;
inline constexpr std::uint8_t kMemoryCount = 13;
inline constexpr const char* kUnitName = "HALDA40";

}  // namespace vela
