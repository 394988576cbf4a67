#pragma once
// The operations a user starts, named for what they do. The window and the command line both
// call these; each ends in a result: a lost link or a failing design never travels on as an
// exception, and the open USB device is closed on every path.

#include "library/library_window.h"
#include "link/firmware_image.h"
#include "session/unit_commands.h"

#include <filesystem>
#include <optional>
#include <span>
#include <string>

namespace vela {

class Session;

enum class OperationResult { Done, Declined, Failed, LinkLost, Stopped };

// The DSP operating system a run sends: the built-in text or a file. A stand-in text goes
// only to the simulated unit, or with `force`; otherwise `refusal` says why not.
struct FirmwareChoice {
    std::optional<FirmwareImage> image;
    std::string source;   // the file's name, or "the built-in DSP operating system"
    std::string refusal;  // empty when the image may be sent
};
FirmwareChoice chooseFirmware(const std::optional<std::filesystem::path>& file, bool simulatedUnit, bool force);

// The connection window's choices: USB runs the probe, the read-back and the model lock.
OperationResult chooseLink(Session& session, LinkKind link);
// Finishes the link chosen last (the connection window's hidden OK button).
OperationResult finishLinkChoice(Session& session);
// The library window's and the processor window's CONNECT buttons.
void showConnectionWindow(Session& session);
OperationResult connectUsb(Session& session);
OperationResult connectEthernet(Session& session);
OperationResult goOffline(Session& session);

// The library window.
OperationResult chooseModel(Session& session, int row);
OperationResult openLibraryFile(Session& session, const std::string& file);
// Writes memories 1..N from the open library, then the operating system.
LoadAllReport loadAllMemories(Session& session, const FirmwareChoice& firmware);
// Builds the library from preset files, program 1 first; returns the programs built.
int buildLibrary(Session& session, std::span<const std::string> presetFiles);
enum class SaveLibraryResult { Saved, NothingLoaded, Failed };
SaveLibraryResult saveLibrary(Session& session, const std::filesystem::path& file);
void enterServiceCode(Session& session, const std::string& code);
void clearLibraryNames(Session& session);
// A window's activation starts the service reveals' click count afresh.
void startServiceCount(Session& session);
void clickLogo(Session& session);
void openManual(Session& session);

// The processor window's unit commands.
OperationResult writeProgram(Session& session);
OperationResult readProgram(Session& session);
OperationResult changeProgram(Session& session);
OperationResult copyProgramToAll(Session& session);
OperationResult resetUnit(Session& session);
OperationResult lockKeyboard(Session& session);
OperationResult unlockKeyboard(Session& session);
OperationResult sendPassword(Session& session, const std::optional<PasswordBytes>& confirmed);
OperationResult onlyChangeFromKeyboard(Session& session);
// The processor window's Update DSP, after its warning question.
OperationResult updateDspOperatingSystem(Session& session, const FirmwareChoice& firmware);
// The library window's service button: the same update without a question.
OperationResult sendDspOperatingSystem(Session& session, const FirmwareChoice& firmware);
void toggleRealTime(Session& session);

}  // namespace vela
