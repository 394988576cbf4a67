#include "session/operations.h"

#include "session/connection.h"
#include "session/guarded.h"
#include "session/memory_read.h"
#include "session/preset_operations.h"

#include <algorithm>

namespace vela {

OperationResult chooseLink(Session& s, LinkKind link) {
    return guardedStep(s, [&] { switchLink(s, link); });
}

OperationResult finishLinkChoice(Session& s) {
    return guardedStep(s, [&] { connectChosenLink(s); });
}

void showConnectionWindow(Session& s) {
    s.windows.connectFormVisible = true;
}

OperationResult connectUsb(Session& s) {
    return chooseLink(s, LinkKind::USB);
}
OperationResult connectEthernet(Session& s) {
    return chooseLink(s, LinkKind::Ethernet);
}
OperationResult goOffline(Session& s) {
    return chooseLink(s, LinkKind::Offline);
}

OperationResult probeUnit(Session& s) {
    return guarded(s, [&] {
        const Channel channel = s.state.EthernetActive ? Channel::Ethernet : Channel::Serial;
        // A port that cannot be opened (missing, busy, no permission) is no answer from a unit.
        if (channel == Channel::Serial && !s.link.serial.SerialOpen()) {
            s.ui.error(s.link.serial.openFailure());
            return OperationResult::Failed;
        }
        const bool answered = SendProgram(s.link, s.programImage, channel, CommandCode::ProbeCommand, 0, 0,
                                          false) == ExchangeResult::Success;
        if (channel == Channel::Serial) s.link.serial.SerialClose();
        if (answered) return OperationResult::Done;
        s.ui.message(MessageKind::Plain, Buttons::Ok,
                     "This is not a HALDA40 processor, It cannot communicate.");
        return OperationResult::Failed;
    });
}

OperationResult chooseModel(Session& s, int row) {
    return guardedStep(s, [&] { s.libraryWindow.chooseRow(row); });
}

OperationResult openLibraryFile(Session& s, const std::string& file) {
    return guarded(s, [&] {
        s.libraryForm.libraryFileName = file;
        return s.libraryForm.openLibrary() ? OperationResult::Done : OperationResult::Failed;
    });
}

LoadAllReport loadAllMemories(Session& s, const FirmwareChoice& firmware) {
    if (!firmware.image) {
        s.ui.error(firmware.refusal);
        return {};
    }
    if (!firmware.refusal.empty() && (s.state.UsbActive || s.state.EthernetActive || s.state.SerialActive)) {
        s.ui.error(firmware.refusal);
        return {};
    }
    LoadAllReport report;
    guardedStep(s, [&] { report = s.libraryForm.loadAllMemories(*firmware.image); });
    return report;
}

// Reads every written memory back and compares it with its library entry; a stop request
// leaves the memories not yet read unchecked.
std::vector<MemoryVerdict> verifyWrittenMemories(Session& s, const LoadAllReport& report,
                                                 const LibraryBuffer& library) {
    const auto entries = libraryEntries(library);
    std::vector<MemoryVerdict> verdicts;
    for (const int k : report.writtenMemories) {
        if (s.ui.stop.requested()) {
            verdicts.emplace_back(k, "not read back: stopped");
            continue;
        }
        const LibraryEntry& e = (*entries)[static_cast<std::size_t>(k - 1)];
        s.state.setProgramNumber(k);
        MemoryRead read;
        const OperationResult result = guarded(s, [&] {
            read = readMemory(s, k);
            return OperationResult::Done;
        });
        if (result == OperationResult::Stopped) {
            verdicts.emplace_back(k, "not read back: stopped");
            continue;
        }
        std::string verdict = "same";
        if (read.content == MemoryContent::Empty) {
            verdict = "empty";
        } else if (read.content != MemoryContent::Program) {
            verdict = "could not be read back";
        } else if (const auto at = firstDifference(read.program, std::span(library).subspan(e.offset, e.size()))) {
            verdict = "differs from offset " + std::to_string(*at);
        }
        verdicts.emplace_back(k, verdict);
    }
    return verdicts;
}

int buildLibrary(Session& s, std::span<const std::string> presetFiles, UserInterface* progress) {
    int built = 0;
    guardedStep(s, [&] {
        PresetContext preset = presetContextOf(s, progress);
        built = s.libraryForm.buildFromPresetFiles(preset, presetFiles);
    });
    return built;
}

SaveLibraryResult saveLibrary(Session& s, const std::filesystem::path& file, std::optional<int> modelCode) {
    if (s.libraryForm.buffer[0] == 0) {
        s.ui.warning("You must to Load the files before saving");
        return SaveLibraryResult::NothingLoaded;
    }
    return s.libraryForm.saveLibrary(file, modelCode) ? SaveLibraryResult::Saved : SaveLibraryResult::Failed;
}

bool enterServiceCode(Session& s, const std::string& code) {
    return s.libraryForm.enterServiceCode(code);
}
void clearLibraryNames(Session& s) {
    s.libraryForm.clearNames();
}
void startServiceCount(Session& s) {
    s.state.ServiceClickCount = 0;
}
void clickLogo(Session& s) {
    s.libraryForm.countLogoClick();
}
bool clickProgramLabel(Session& s) {
    constexpr int kRevealClicks = 20;
    if (++s.state.ServiceClickCount < kRevealClicks) return false;
    s.state.ServiceClickCount = 0;
    return true;
}
void openManual(Session& s) {
    s.libraryForm.openManual();
}

} // namespace vela
