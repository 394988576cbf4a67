#pragma once
// The processor window's unit commands as procedures that the window and the command line
// both call. Each locks the unit commands while it runs, asks its question first, and
// serves the links whose flags are set.

#include "link/firmware_image.h"
#include "link/receive_program.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace vela {

class Session;

// Stopped: the user stopped the command part-way; what it had done has been said.
enum class CommandOutcome { Done, Declined, Failed, Stopped };

// Write and copy-all send the program image that the caller put in the session's
// ProgramImage; its first two bytes are its length field. A stop request (UserInterface::stop)
// ends write, copy-all, read and the operating-system update between two exchanges, or at
// once when repeated; each then says what it had done.
CommandOutcome WriteButtonClick(Session& session);
CommandOutcome CopyAllMemClick(Session& session);
ReceiveResult ReadButtonClick(Session& session);
CommandOutcome ChangeButtonClick(Session& session);
CommandOutcome ResetDSPClick(Session& session);
CommandOutcome UpdateDSPClick(Session& session, const FirmwareImage& firmware);
CommandOutcome BlockBClick(Session& session);
CommandOutcome UnblockBClick(Session& session);
CommandOutcome OnlyChangeProgBClick(Session& session);

// The seven data bytes of the password command.
using PasswordBytes = std::array<std::uint8_t, 7>;
// A code of one to seven printable ASCII characters, padded with zero bytes to seven.
std::optional<PasswordBytes> passwordBytes(std::string_view code);
// `confirmed` is what the password dialog gave; nullopt when it was cancelled.
CommandOutcome PasswordBClick(Session& session, const std::optional<PasswordBytes>& confirmed);

// Switches real-time mode; it stays off while the session is offline.
void RealTimeBClick(Session& session);

}  // namespace vela
