#pragma once
// The library window's procedures: choosing a model opens its library and lists its
// programs; "Update" writes them into the unit's memories and updates the DSP operating
// system. The window (or the command line) binds to the state kept here.

#include "core/session_state.h"
#include "core/user_interface.h"
#include "library/library_file.h"
#include "link/device_link.h"
#include "link/firmware_image.h"
#include "library/library_window_state.h"
#include "preset/preset_context.h"

#include <array>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace vela {

// What a load-all run achieved, so that nobody is told to power-cycle a half-updated unit.
struct LoadAllReport {
    int programs = 0;                 // N of the library
    std::vector<int> writtenMemories;  // in the order written
    bool operatingSystemSent = false;
    bool stopped = false;                  // the user stopped the run
    bool operatingSystemCutShort = false;  // stopped in the middle of the operating system
    int protectedMemory = 0;               // the memory that refused its program; 0: none did
    bool complete() const {
        return programs > 0 && static_cast<int>(writtenMemories.size()) == programs && operatingSystemSent;
    }
};

class LibraryWindow {
public:
    LibraryWindow(SessionState& state, DeviceLink& link, ProgramImage& image, LibraryWindowState& window,
                  UserInterface& ui);

    LibraryBuffer buffer{};                 // LibraryBuffer: the last library opened or built
    std::array<std::string, 13> names;      // Edit1..Edit13, decoded for display
    std::string libraryFileName;            // OpenDialog2's file name
    std::string openedFile;                 // Edit40: the open library's name without directory
    std::string send1Caption = "Update";
    bool gaugesVisible = false;
    bool connectButtonVisible = true;
    bool passwordEditVisible = false;
    // Where library and manual files are looked for after the current directory.
    std::vector<std::filesystem::path> dataDirectories;

    // Shows the connection window modally (a run started offline) or not (after a lost link).
    std::function<void()> showConnectFormModal;
    std::function<void()> showConnectForm;
    // Opens a file with the desktop's "open" action; false when it could not.
    std::function<bool(const std::filesystem::path&)> openWithShell;

    // Update can always start again once a library is open, whatever ended the last run; with
    // no library open there is nothing to send.
    bool send1Enabled() const { return buffer[0] != 0; }
    // The preset files the last build was asked for (at most 13); 0 when the library was opened.
    int buildWanted = 0;
    // A build that a refused file stopped part-way: it is never saved.
    bool partialBuild() const { return buildWanted > buffer[0]; }

    void openModelLibrary(int row);
    // Reads the library named by libraryFileName; true when it was read and listed.
    bool openLibrary();
    void clearNames() { names.fill({}); }
    // Opens the chosen model's manual, or says that it is missing.
    void openManual();
    LoadAllReport loadAllMemories(const FirmwareImage& firmware);
    // Lists the names of the programs in `buffer`.
    void listNames();

    // Builds the library from preset files, program 1 first; returns the number of programs.
    // The files whose stored peak settings the images do not carry are named in one warning.
    int buildFromPresetFiles(PresetContext& preset, std::span<const std::string> files);
    // Saves the built library, its programs carrying `modelCode` when given; false when there
    // was nothing to save, the build was partial or the file failed.
    bool saveLibrary(const std::filesystem::path& file, std::optional<int> modelCode = std::nullopt);

    // The service unlock of the model list.
    void countLogoClick();
    // True when the code was right: the model list is free and the service controls are shown.
    bool enterServiceCode(const std::string& text);
    static std::string serviceCodeFor(int year, int month);
    std::string ServiceCode;

    // Finds a data file: as given, in the current directory, then in the data directories.
    std::filesystem::path locate(const std::filesystem::path& file) const;

private:
    void reportIncomplete(const LoadAllReport& report);
    // Writes entry k into memory k; false when a USB failure (said already) or a protected
    // memory ended the run.
    bool writeMemories(const std::vector<LibraryEntry>& entries, LoadAllReport& report);

    SessionState& state_;
    DeviceLink& link_;
    ProgramImage& image_;
    LibraryWindowState& window_;
    UserInterface& ui_;
};

}  // namespace vela
