#include "session/operations.h"

#include "core/input_file.h"
#include "link/dsp_update.h"
#include "link/ethernet_channel.h"
#include "link/run_stop.h"
#include "link/send_program.h"
#include "session/connection.h"
#include "session/session.h"

#include <stdexcept>

namespace vela {
namespace {

OperationResult resultOf(CommandOutcome outcome) {
    switch (outcome) {
    case CommandOutcome::Done: return OperationResult::Done;
    case CommandOutcome::Declined: return OperationResult::Declined;
    case CommandOutcome::Failed: return OperationResult::Failed;
    case CommandOutcome::Stopped: return OperationResult::Stopped;
    }
    return OperationResult::Failed;
}

// Runs one operation so that it ends in a result whatever happens inside: a dropped TCP link
// has already been reported and taken the session offline; any other fault is reported
// here. The USB device is closed afterwards on every path; after a fault the unit commands
// are given back (they are enabled only while a link is active).
template <typename Result, typename Body>
Result guarded(Session& s, Result failed, Result lost, Body body) {
    Result result = failed;
    bool faulted = false;
    try {
        result = body();
    } catch (const LinkAbandoned&) {
        result = lost;
        faulted = true;
    } catch (const RunStopped&) {
        // Stopped at once: the exchange was cut short, so every channel is closed again.
        closeAfterStop(s.link);
        faulted = true;
    } catch (const std::exception& e) {
        s.ui.closeTransferWindow();
        s.ui.error(e.what());
        faulted = true;
    }
    closeUsbIfOpen(s.link);
    if (faulted) {
        s.state.RealTimeBusy = false;
        s.link.EnableUnitCommands();
    }
    return result;
}

OperationResult guardedCommand(Session& s, CommandOutcome (*command)(Session&)) {
    return guarded(s, OperationResult::Failed, OperationResult::LinkLost, [&] { return resultOf(command(s)); });
}

OperationResult guardedStep(Session& s, const std::function<void()>& step) {
    return guarded(s, OperationResult::Failed, OperationResult::LinkLost, [&] {
        step();
        return OperationResult::Done;
    });
}

}  // namespace

FirmwareChoice chooseFirmware(const std::optional<std::filesystem::path>& file, bool simulatedUnit, bool force) {
    FirmwareChoice choice;
    std::string text(builtInFirmwareText());
    choice.source = "the built-in DSP operating system";
    if (file) {
        choice.source = file->string();
        // The text is about 46 kB; anything far larger is not one.
        constexpr std::size_t kLongestFirmwareText = 1 << 20;
        std::string readError;
        const auto bytes = readInputFile(*file, kLongestFirmwareText + 1, readError);
        if (!bytes) {
            choice.refusal = readError;
            return choice;
        }
        if (bytes->size() > kLongestFirmwareText) {
            choice.refusal = choice.source + ": too long for a DSP operating-system text";
            return choice;
        }
        text.assign(bytes->begin(), bytes->end());
    }
    std::string error;
    choice.image = firmwareImageFromText(text, error);
    if (!choice.image) {
        choice.refusal = choice.source + ": " + error;
        return choice;
    }
    // A placeholder program would leave a real unit without one.
    if (isStandInFirmware(text) && !simulatedUnit && !force)
        choice.refusal = choice.source +
                         " is a stand-in, not the unit's program; it goes only to the simulated unit (--sim), or "
                         "with --force. Give the real text with --firmware FILE.";
    return choice;
}

OperationResult chooseLink(Session& s, LinkKind link) {
    return guardedStep(s, [&] { OffLineBClick(s, link); });
}

OperationResult finishLinkChoice(Session& s) {
    return guardedStep(s, [&] { OKBotonClick(s); });
}

void showConnectionWindow(Session& s) { s.windows.connectFormVisible = true; }

OperationResult connectUsb(Session& s) { return chooseLink(s, LinkKind::USB); }
OperationResult connectEthernet(Session& s) { return chooseLink(s, LinkKind::Ethernet); }
OperationResult goOffline(Session& s) { return chooseLink(s, LinkKind::Offline); }

OperationResult chooseModel(Session& s, int row) {
    return guardedStep(s, [&] { s.libraryWindow.chooseRow(row); });
}

OperationResult openLibraryFile(Session& s, const std::string& file) {
    return guarded(s, OperationResult::Failed, OperationResult::LinkLost, [&] {
        s.libraryForm.libraryFileName = file;
        return s.libraryForm.OpenLibraryBClick() ? OperationResult::Done : OperationResult::Failed;
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
    guardedStep(s, [&] { report = s.libraryForm.Send1Click(*firmware.image); });
    return report;
}

int buildLibrary(Session& s, std::span<const std::string> presetFiles) {
    int built = 0;
    guardedStep(s, [&] {
        PresetContext preset{s.preset, s.state, s.ui, s.SampleRate, &s.realTime};
        built = s.libraryForm.LoadDirectoryBClick(preset, presetFiles);
    });
    return built;
}

SaveLibraryResult saveLibrary(Session& s, const std::filesystem::path& file) {
    if (s.libraryForm.buffer[0] == 0) {
        s.ui.warning("You must to Load the files before saving");
        return SaveLibraryResult::NothingLoaded;
    }
    return s.libraryForm.MakeLibraryBClick(file) ? SaveLibraryResult::Saved : SaveLibraryResult::Failed;
}

void enterServiceCode(Session& s, const std::string& code) { s.libraryForm.Password_EditEnter(code); }
void clearLibraryNames(Session& s) { s.libraryForm.Clear1BClick(); }
void startServiceCount(Session& s) { s.state.ServiceClickCount = 0; }
void clickLogo(Session& s) { s.libraryForm.LOGOImageClick(); }
void openManual(Session& s) { s.libraryForm.Image1Click(); }

OperationResult writeProgram(Session& s) { return guardedCommand(s, WriteButtonClick); }
OperationResult copyProgramToAll(Session& s) { return guardedCommand(s, CopyAllMemClick); }
OperationResult changeProgram(Session& s) { return guardedCommand(s, ChangeButtonClick); }
OperationResult resetUnit(Session& s) { return guardedCommand(s, ResetDSPClick); }
OperationResult lockKeyboard(Session& s) { return guardedCommand(s, BlockBClick); }
OperationResult unlockKeyboard(Session& s) { return guardedCommand(s, UnblockBClick); }
OperationResult onlyChangeFromKeyboard(Session& s) { return guardedCommand(s, OnlyChangeProgBClick); }

OperationResult readProgram(Session& s) {
    return guarded(s, OperationResult::Failed, OperationResult::LinkLost,
                   [&] { return ReadButtonClick(s).received ? OperationResult::Done : OperationResult::Failed; });
}

OperationResult sendPassword(Session& s, const std::optional<PasswordBytes>& confirmed) {
    return guarded(s, OperationResult::Failed, OperationResult::LinkLost,
                   [&] { return resultOf(PasswordBClick(s, confirmed)); });
}

OperationResult updateDspOperatingSystem(Session& s, const FirmwareChoice& firmware) {
    if (!firmware.image || !firmware.refusal.empty()) {
        s.ui.error(firmware.refusal);
        return OperationResult::Failed;
    }
    return guarded(s, OperationResult::Failed, OperationResult::LinkLost,
                   [&] { return resultOf(UpdateDSPClick(s, *firmware.image)); });
}

OperationResult sendDspOperatingSystem(Session& s, const FirmwareChoice& firmware) {
    if (!firmware.image || !firmware.refusal.empty()) {
        s.ui.error(firmware.refusal);
        return OperationResult::Failed;
    }
    return guarded(s, OperationResult::Failed, OperationResult::LinkLost, [&] {
        s.link.DisableUnitCommands();
        const bool sent = UpdateDspOperatingSystem(s.link, s.programImage, *firmware.image);
        s.link.EnableUnitCommands();
        return sent ? OperationResult::Done : OperationResult::Failed;
    });
}

void toggleRealTime(Session& s) {
    guardedStep(s, [&] { RealTimeBClick(s); });
}

}  // namespace vela
