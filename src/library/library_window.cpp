#include "library/library_window.h"

#include "core/text_display.h"
#include "library/model_catalogue.h"
#include "link/run_stop.h"
#include "link/send_program.h"
#include "platform/process.h"
#include "preset/preset_file.h"
#include "preset/program_image.h"
#include "platform/utf8_paths.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <thread>

namespace vela {

static_assert(kModelListRows == static_cast<int>(kModelCount), "the model list shows every catalogue row");

LibraryWindow::LibraryWindow(SessionState& state, DeviceLink& link, ProgramImage& image, LibraryWindowState& window,
                             UserInterface& ui)
    : state_(state), link_(link), image_(image), window_(window), ui_(ui) {
    const std::tm local = platform::localTime(std::time(nullptr));
    ServiceCode = serviceCodeFor(local.tm_year + 1900, local.tm_mon + 1);
    window_.changeAction = [this](int row) { openModelLibrary(row); };
}

std::string LibraryWindow::serviceCodeFor(int year, int month) {
    // Changes every month; only the service staff know how.
    const long v = (static_cast<long>(year) + 2) / 4 * 37 * 13 + month * 4111 + 90210 - month * year;
    return std::to_string(v);
}

std::filesystem::path LibraryWindow::locate(const std::filesystem::path& file) const {
    std::error_code ec;
    if (file.is_absolute() || std::filesystem::exists(file, ec)) return file;
    for (const auto& dir : dataDirectories)
        if (std::filesystem::exists(dir / file, ec)) return dir / file;
    return file;
}

void LibraryWindow::openModelLibrary(int row) {
    gaugesVisible = false;
    window_.sendPanelVisible = state_.UsbActive || link_.ethernet.isActive();
    ui_.status(StatusField::LibraryInfo, "");
    const auto& rows = ModelCatalogue::rows();
    const bool inCatalogue = row >= 0 && row < static_cast<int>(rows.size());
    window_.selectedRow = row;
    send1Caption = "Update " + (inCatalogue ? std::string(rows[static_cast<std::size_t>(row)].name) : std::string());
    if (inCatalogue) libraryFileName = std::string(rows[static_cast<std::size_t>(row)].libraryFile);
    openLibrary();
}

bool LibraryWindow::openLibrary() {
    clearNames();
    if (libraryFileName.empty()) {
        // No model chosen yet: nothing to open, and nothing wrong.
        buffer.fill(0);
        return false;
    }
    const auto path = locate(platform::pathFromUtf8(libraryFileName));
    buildWanted = 0;
    const auto result = readLibraryFile(path, buffer);
    openedFile = platform::utf8FromPath(platform::pathFromUtf8(libraryFileName).filename());
    if (!result.ok) {
        ui_.error(result.error);
        return false;
    }
    listNames();
    return true;
}

void LibraryWindow::listNames() {
    clearNames();
    const auto entries = libraryEntries(buffer);
    if (!entries) return;
    for (std::size_t k = 0; k < entries->size() && k < names.size(); ++k) names[k] = unitName((*entries)[k].name);
}

int LibraryWindow::buildFromPresetFiles(PresetContext& preset, std::span<const std::string> files) {
    clearNames();
    buffer.fill(0);
    buildWanted = static_cast<int>(std::min<std::size_t>(files.size(), kMaxBatchFiles));
    UserInterface& progress = preset.ui;
    progress.gaugeMaximum(Gauge::LibraryBuild, std::max(buildWanted, 1));
    progress.gaugePosition(Gauge::LibraryBuild, 0);
    std::vector<std::string> peakSettingsDiffer;
    preset.peakSettingsDiffer = &peakSettingsDiffer;
    link_.DisableUnitCommands();
    BatchReadPresets(preset, files, [&] {
        generateProgramImage(preset.p, preset.SampleRate, image_);
        appendLibraryEntry(buffer, image_);
        progress.gaugeAdvance(Gauge::LibraryBuild, 1);
    });
    link_.EnableUnitCommands();
    preset.peakSettingsDiffer = nullptr;
    if (!peakSettingsDiffer.empty()) progress.warning(peakSettingsWarning(peakSettingsDiffer, preset.SampleRate));
    listNames();
    return buffer[0];
}

bool LibraryWindow::saveLibrary(const std::filesystem::path& file, std::optional<int> modelCode) {
    if (buffer[0] == 0) {
        ui_.warning("You must to Load the files before saving");
        return false;
    }
    if (partialBuild()) {
        // A short library would leave the memories after it with another library's programs.
        ui_.error("Only " + std::to_string(buffer[0]) + " of " + std::to_string(buildWanted) +
                  " preset files went in; the library was not saved.");
        return false;
    }
    if (modelCode) setLibraryModelCode(buffer, *modelCode);
    const std::string error = saveLibraryFile(file, buffer);
    if (!error.empty()) ui_.error(error);
    return error.empty();
}

void LibraryWindow::openManual() {
    const int row = window_.selectedRow;
    if (row < 0 || row >= static_cast<int>(kModelCount)) return;
    const std::filesystem::path manual(ModelCatalogue::rows()[static_cast<std::size_t>(row)].manualFile);
    const auto path = locate(manual);
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        // Say where it was looked for, so that the user can put it there.
        std::string places = platform::utf8FromPath(std::filesystem::current_path(ec));
        for (const auto& dir : dataDirectories) places += ", " + platform::utf8FromPath(dir);
        ui_.warning("The manual " + platform::utf8FromPath(manual) + " is not installed with this program (looked in " + places +
                    ").");
        return;
    }
    if (!openWithShell || !openWithShell(path)) ui_.error("The manual " + platform::utf8FromPath(path) + " could not be opened.");
}

void LibraryWindow::countLogoClick() {
    if (++state_.ServiceClickCount < 4) return;
    passwordEditVisible = true;
    state_.ServiceClickCount = 0;
}

bool LibraryWindow::enterServiceCode(const std::string& text) {
    window_.modelListEnabled = text == ServiceCode;
    return window_.modelListEnabled;
}

void LibraryWindow::reportIncomplete(const LoadAllReport& r) {
    std::string text = r.stopped ? "The update was stopped. " : "The update did not finish. ";
    if (r.protectedMemory)
        text = "Memory " + std::to_string(r.protectedMemory) +
               " is protected: unprotect it on the processor, then run the update again. ";
    text += writtenMemoriesText(r.writtenMemories, r.programs);
    if (r.operatingSystemCutShort)
        text += std::string("; ") + kOperatingSystemCutShort + ".";
    else
        text += r.operatingSystemSent ? "." : "; the DSP Operating System was not updated.";
    // The link is sound after a protected memory: connecting again would change nothing.
    if (!r.protectedMemory) text += " Connect the cabinet and run the update again.";
    if (r.stopped)
        ui_.warning(text);
    else
        ui_.error(text);
}

bool LibraryWindow::writeMemories(const std::vector<LibraryEntry>& entries, LoadAllReport& report) {
    const int n = static_cast<int>(entries.size());
    for (int k = 1; k <= n; ++k) {
        // A stop request waits for the memory being written; the next one is not begun.
        if (ui_.stop.requested()) {
            report.stopped = true;
            return true;
        }
        const LibraryEntry& e = entries[static_cast<std::size_t>(k - 1)];
        ui_.status(StatusField::RunStep, "Memory " + std::to_string(k) + " of " + std::to_string(n));
        ui_.gaugeMaximum(Gauge::TotalProgress, (static_cast<int>(e.length) - 50) * n + static_cast<int>(kFirmwareSize));
        copyLibraryEntry(buffer, e, image_);
        state_.setProgramNumber(k);
        ui_.gaugePosition(Gauge::ProgressBar, 0);
        const auto length = static_cast<std::uint16_t>(e.size());
        const auto memory = static_cast<std::uint8_t>(state_.ProgramNumber);
        auto send = [&](Channel channel) {
            return SendProgram(link_, image_, channel, CommandCode::WriteProgramCommand, memory, length, true,
                               ProtectedNotice::Caller);
        };
        // A protected memory ends the run with the link as it was: the unit refused, nothing
        // failed, and the run's report says so once.
        auto refused = [&](ExchangeResult sent) {
            if (sent != ExchangeResult::Protected) return false;
            ui_.closeTransferWindow();
            report.protectedMemory = k;
            return true;
        };
        if (state_.UsbActive) {
            const ExchangeResult sent = send(Channel::Usb);
            if (refused(sent)) return false;
            if (sent != ExchangeResult::Success) {
                ui_.closeTransferWindow();
                closeUsbIfOpen(link_);
                // The link is gone until the user connects again: every status says so.
                link_.DropLink();
                ui_.warning("The HALDA40 was closed. You need to Reconnect.");
                if (showConnectForm) showConnectForm();
                return false;
            }
            report.writtenMemories.push_back(k);
        }
        if (state_.EthernetActive) {
            const ExchangeResult sent = send(Channel::Ethernet);
            if (refused(sent)) return false;
            if (sent != ExchangeResult::Success) {
                ui_.closeTransferWindow();
                ui_.error("ETHERNET: Communication Error with HALDA40");
                link_.DropLink();
            } else {
                report.writtenMemories.push_back(k);
            }
            ui_.pump();
        }
    }
    return true;
}

LoadAllReport LibraryWindow::loadAllMemories(const FirmwareImage& firmware) {
    LoadAllReport report;
    link_.DisableUnitCommands();
    if (state_.Link == LinkKind::Offline) {
        ui_.warning("You must be connected not offline");
        if (showConnectFormModal) showConnectFormModal();
    }
    window_.modelListEnabled = false;
    gaugesVisible = true;
    // Every run starts its gauges from zero, whatever the last one left.
    for (const Gauge g : {Gauge::ProgressBar, Gauge::TotalProgress}) ui_.gaugePosition(g, 0);
    ui_.status(StatusField::RunStep, "");

    const auto entries = libraryEntries(buffer);
    if (!entries || entries->empty()) {
        ui_.warning("You must open a library before the sending");
        openLibrary();
        return report;
    }
    // A backup keeps an empty memory as an entry of length 0: written as a program, it would
    // leave a two-byte image in that memory.
    if (std::any_of(entries->begin(), entries->end(), [](const LibraryEntry& e) { return e.length == 0; })) {
        ui_.error("This library holds empty memories, as a backup does; write it back with Restore. Nothing was "
                  "sent to the HALDA40.");
        return report;
    }
    report.programs = static_cast<int>(entries->size());
    // The memories go over USB or Ethernet only; over the serial line alone the run would
    // replace the operating system of a unit that got none of its presets.
    if (state_.SerialActive && !state_.UsbActive && !state_.EthernetActive) {
        ui_.error("The memories are written over USB or Ethernet only; nothing was sent to the HALDA40.");
        return report;
    }
    if (state_.UsbActive) link_.usb.UsbConnect();
    try {
        if (!writeMemories(*entries, report)) {
            reportIncomplete(report);
            return report;
        }
    } catch (const RunStopped&) {
        closeAfterStop(link_);
        report.stopped = true;
    } catch (const LinkAbandoned&) {
        // The lost TCP link has said so and gone offline; the summary below says what was
        // written, and nothing more is sent.
    }
    link_.EnableUnitCommands();
    if (report.stopped || ui_.stop.requested()) {
        // Nothing more is sent; the memories written keep their new programs.
        report.stopped = true;
        reportIncomplete(report);
        return report;
    }
    for (int i = 0; i < 20; ++i) {
        ui_.pump();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const bool anyLink = state_.UsbActive || state_.EthernetActive || state_.SerialActive;
    if (anyLink) {
        ui_.status(StatusField::RunStep, "DSP Operating System");
        try {
            const auto os = updateOperatingSystem(link_, image_, firmware);
            report.operatingSystemSent = os == OperatingSystemUpdate::Sent;
            report.operatingSystemCutShort = os == OperatingSystemUpdate::CutShort;
            report.stopped = report.operatingSystemCutShort;
        } catch (const LinkAbandoned&) {
            // Said by the link; the summary tells that the operating system was not updated.
        }
    }
    window_.sendPanelVisible = false;
    connectButtonVisible = true;
    if (report.complete())
        ui_.information("Turn Off and ON the cabinet.");
    else
        reportIncomplete(report);
    return report;
}

}  // namespace vela
