#pragma once
// The process-wide session record and the values fixed at start-up.

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>

namespace vela {

// How the unit is reached; the values are the Tags of the connection window's LED buttons.
enum class LinkKind : std::int32_t { Offline = 0, COM1 = 1, COM2 = 2, USB = 3, Ethernet = 4 };

// Every filter, crossover, delay and dynamics computation runs at this rate.
inline constexpr std::int32_t kSampleRate = 48000;

struct SessionState {
    LinkKind Link = LinkKind::Offline;
    bool UsbActive = false;
    bool EthernetActive = false;
    bool SerialActive = false;
    std::int32_t PressedLinkTag = 0;
    // The link was lost rather than left; cleared by the next choice of link.
    bool LinkLost = false;
    bool LibraryLoadLocked = true;
    bool EqRefreshSuppressed = true;
    // The system's temporary folder, of any length: a long path never leaves it empty.
    std::filesystem::path TempPath;
    std::int32_t ProgramNumber = 1;  // 1..13, mirrors NProgramSpin
    bool RealTimeMode = false;
    std::uint8_t RealTimeTarget = 1;
    bool RealTimeBusy = false;
    bool NewCancelled = false;
    std::int32_t ServiceClickCount = 0;

    // Sets ProgramNumber within the spin control's range 1..13.
    void setProgramNumber(std::int32_t n);
};

// The transmit buffer: a program's data block fills its first 3570 bytes.
inline constexpr std::size_t kProgramImageSize = 32768;
using ProgramImage = std::array<std::uint8_t, kProgramImageSize>;

}  // namespace vela
