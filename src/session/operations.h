#pragma once
// The operations a user starts, named for what they do. The windows and the command line both
// call these; each ends in a result: a lost link or a failing design never travels on as an
// exception, and the open USB device is closed on every path. The unit commands are in
// unit_commands.h, the preset document's in preset_operations.h, the Ethernet module's in
// module_operations.h.

#include "library/library_window.h"
#include "session/firmware_choice.h"
#include "session/operation_result.h"
#include "session/unit_commands.h"

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace vela {

class Session;

// The connection window's choices: USB runs the probe, the read-back and the model lock.
OperationResult chooseLink(Session& session, LinkKind link);
// Finishes the link chosen last (the connection window's hidden OK button).
OperationResult finishLinkChoice(Session& session);
// The library window's and the processor window's CONNECT buttons.
void showConnectionWindow(Session& session);
OperationResult connectUsb(Session& session);
OperationResult connectEthernet(Session& session);
OperationResult goOffline(Session& session);
// The probe exchange on the active Ethernet or serial link; Failed, after saying so, when no
// HALDA40 answers.
OperationResult probeUnit(Session& session);

// The library window.
OperationResult chooseModel(Session& session, int row);
OperationResult openLibraryFile(Session& session, const std::string& file);
// Writes memories 1..N from the open library, then the operating system.
LoadAllReport loadAllMemories(Session& session, const FirmwareChoice& firmware);
// Reads every memory the run wrote back and compares it with its library entry: "same",
// "differs from offset N", "could not be read back" or "not read back: stopped".
using MemoryVerdict = std::pair<int, std::string>;
std::vector<MemoryVerdict> verifyWrittenMemories(Session& session, const LoadAllReport& report,
                                                 const LibraryBuffer& library);
// Builds the library from preset files, program 1 first; returns the programs built.
int buildLibrary(Session& session, std::span<const std::string> presetFiles,
                 UserInterface* progress = nullptr);
enum class SaveLibraryResult { Saved, NothingLoaded, Failed };
// A partial build is refused; `modelCode`, when given, is the code every program carries.
SaveLibraryResult saveLibrary(Session& session, const std::filesystem::path& file,
                              std::optional<int> modelCode = std::nullopt);
// True when the code unlocks the service functions.
bool enterServiceCode(Session& session, const std::string& code);
void clearLibraryNames(Session& session);
// A window's activation starts the service reveals' click count afresh.
void startServiceCount(Session& session);
void clickLogo(Session& session);
// The processor window's PROGRAM label: true at the click that reveals copy-all and Library.
bool clickProgramLabel(Session& session);
void openManual(Session& session);

} // namespace vela
