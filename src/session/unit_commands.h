#pragma once
// The commands that act on the unit: writing, reading, changing and copying a program,
// reset, the operating-system update, the keyboard lock, the password and only-change mode
// (real-time mode is realtime_mode.h's). The processor window and the command line both call
// these. Each locks the unit commands while it runs, asks its question first, serves the
// links whose flags are set, and ends in a result: a lost link never travels on as an
// exception, and the USB device is closed on every path.

#include "link/exchange.h"
#include "preset/preset_parameters.h"
#include "session/memory_read.h"
#include "session/firmware_choice.h"
#include "session/operation_result.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace vela {

class Session;

// Each command keeps what it did in the session's commandOutcome ("Memory 5 written",
// "Keyboard locked"). Lock, unlock, only-change, password and copy-all go over USB or the
// serial line only: with neither active they say so and send nothing.
//
// Write and copy-all send the program image that the caller put in the session's
// ProgramImage; its first two bytes are its length field. A stop request (UserInterface::stop)
// ends write, copy-all, read and the operating-system update between two exchanges, or at
// once when repeated; each then says what it had done.
OperationResult writeProgram(Session& session);
OperationResult copyProgramToAll(Session& session);
// The processor window's Write and copy-all: the image of `preset` (the window's copy of the
// preset being edited), generated afresh. Copy-all asks first, as Write does for its one memory.
OperationResult writePresetProgram(Session& session, const PresetParameters& preset);
OperationResult copyPresetProgramToAll(Session& session, const PresetParameters& preset);

// A read of memory ProgramNumber into the session's receivedImage.
struct ProgramRead {
    OperationResult result = OperationResult::Failed;
    MemoryRead program; // what the unit sent
};
ProgramRead readProgram(Session& session);

// The write exchange alone (no change command) of the session's ProgramImage into one memory,
// USB opened first; false after the failure has been said as Write says it.
bool writeMemoryImage(Session& session, Channel channel, int memory);

OperationResult changeProgram(Session& session);
OperationResult resetUnit(Session& session);
// The processor window's Update DSP: the warning question, then the transfer.
OperationResult updateDspOperatingSystem(Session& session, const FirmwareChoice& firmware);
// The library window's service button: the same transfer without a question.
OperationResult sendDspOperatingSystem(Session& session, const FirmwareChoice& firmware);
OperationResult lockKeyboard(Session& session);
OperationResult unlockKeyboard(Session& session);
OperationResult onlyChangeFromKeyboard(Session& session);

// The seven data bytes of the password command.
using PasswordBytes = std::array<std::uint8_t, 7>;
// A code of one to seven printable ASCII characters, padded with zero bytes to seven.
std::optional<PasswordBytes> passwordBytes(std::string_view code);
// `confirmed` is what the password dialog gave; nullopt when it was cancelled (or not shown,
// which a link other than USB or serial refuses first).
OperationResult sendPassword(Session& session, const std::optional<PasswordBytes>& confirmed);

} // namespace vela
