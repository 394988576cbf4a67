#pragma once
// The texts the window program can show in a message box, each with its kind and buttons:
// the fixed ones as the procedures write them, the composed ones with long but likely parts
// (deep paths, long lists). The message box test renders every one; the screenshots too.

#include "core/user_interface.h"
#include "link/run_stop.h"
#include "session/realtime_mode.h"

#include <string>
#include <vector>

namespace vela::test {

struct MessageText {
    const char* name;  // for file names
    MessageKind kind;
    Buttons buttons;
    std::string text;
};

inline std::vector<MessageText> messageTexts() {
    using K = MessageKind;
    using B = Buttons;
    const std::string home = "/home/installer/Documents/Vela Acoustic Labs/Tour 2026/presets";
    const std::string deep = "/media/installer/USB-STICK/backup_2026-03-14/presets_front_of_house/left_array";
    std::string thirteen;
    for (int k = 1; k <= 13; ++k) thirteen += "\n" + home + "/M01/" + std::to_string(k) + "-Front of house.hdp";
    std::vector<int> some{1, 2};
    std::vector<int> most{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    return {
        {"dsp-warning", K::Warning, B::YesNo,
         "WARNING!!! Updating the DSP Operating System may left your HALDA40 unit blocked if it does not finish "
         "correctlly. Please, be sure that  everything is connected well. Do you want to continue anyway?"},
        {"memory-stored", K::Warning, B::YesNoCancel, "The memory 1 have a preset stored. Do you want to overwrite it?"},
        {"update-not-finished", K::Error, B::Ok,
         "The update did not finish. " + writtenMemoriesText(some, 5) +
             "; the DSP Operating System was not updated. Connect the cabinet and run the update again."},
        {"update-stopped", K::Warning, B::Ok,
         "The update was stopped. " + writtenMemoriesText(most, 13) + "; " + kOperatingSystemCutShort +
             ". Connect the cabinet and run the update again."},
        {"library-missing", K::Error, B::Ok,
         "Cannot open the library file M02LCD.HLB: no such file or directory (looked in " + home +
             ", /usr/share/velaupdate/libraries)"},
        {"manual-missing", K::Warning, B::Ok,
         "The manual M03.pdf is not installed with this program (looked in " + home +
             ", /usr/local/share/velaupdate, /usr/share/velaupdate)."},
        {"manual-unopened", K::Error, B::Ok, "The manual " + deep + "/M03.pdf could not be opened."},
        {"not-a-halda", K::Plain, B::Ok, "This is not a HALDA40 processor, It cannot communicate."},
        {"memory-protected", K::Information, B::Yes,
         "MEMORY PROTECTED. If you want to override it, you must unprotect it from the keyboard of the Processor."},
        {"end-error", K::Plain, B::Ok, "ERROR"},
        {"closed", K::Warning, B::Ok, "The HALDA40 was closed. You need to Reconnect."},
        {"ethernet-communication", K::Error, B::Ok, "ETHERNET: Communication Error with HALDA40"},
        {"ethernet-open", K::Error, B::Ok,
         "ETHERNET error: Opening IP: 192.168.100.254. Verify if the IP is Correct and the Processor is Switched "
         "ON\nConnection refused"},
        {"ethernet-connecting", K::Plain, B::Ok, "ETHERNET Comunication Error. Connecting with: STAGE-LE"},
        {"usb-open", K::Error, B::Ok,
         "Can't open the USB. Please verify that the USB is connected and your Box is switch on - Device Not "
         "Found...\nNo FTDI device answers at /dev/ttyUSB0: permission denied. Add yourself to the group dialout "
         "(sudo usermod -aG dialout $USER) and log in again."},
        {"com-port", K::Error, B::Ok,
         "Comunication ERROR. Please verify that the COM port selected is correct and there isn't a USB Connected "
         "and your HALDA40 unit is in its Main Menu"},
        {"not-offline", K::Warning, B::Ok, "You must be connected not offline"},
        {"open-library-first", K::Warning, B::Ok, "You must open a library before the sending"},
        {"usb-or-ethernet", K::Error, B::Ok,
         "The memories are written over USB or Ethernet only; nothing was sent to the HALDA40."},
        {"turn-off-on", K::Information, B::Ok, "Turn Off and ON the cabinet."},
        {"load-first", K::Warning, B::Ok, "You must to Load the files before saving"},
        {"change-memory", K::Warning, B::YesNoCancel,
         "Do you want to Change the present configuration and load the memory 13 in the HALDA40 ?"},
        {"reset", K::Information, B::YesNo, "Do you want to RESET the DSP?"},
        {"lock", K::Warning, B::OkCancel, "Do you want to LOCK the Keyboard?"},
        {"only-change", K::Warning, B::OkCancel, "Do you want to Activate, Only Change Memory from Keyboard?"},
        {"write-stopped", K::Warning, B::Ok, "The write was stopped: memory 13 was written but not made current."},
        {"copy-stopped", K::Warning, B::Ok,
         "Copy to all memories was stopped. " + writtenMemoriesText(most, 13) + "."},
        {"read-stopped", K::Warning, B::Ok, "The read was stopped: memory 13 was not read."},
        {"os-not-begun", K::Warning, B::Ok,
         "The DSP Operating System update was stopped before it began; nothing was sent."},
        {"os-cut-short", K::Warning, B::Ok, "The update was stopped: " + std::string(kOperatingSystemCutShort) + "."},
        {"firmware-refused", K::Error, B::Ok,
         deep + "/dsp_operating_system.txt is a stand-in, not the unit's program; it goes only to the simulated unit "
                "(--sim), or with --force. Give the real text with --firmware FILE."},
        {"offline-real-time", K::Information, B::Ok, "You are Offline, Real Time Mode is not posible"},
        {"real-time", K::Information, B::YesNoCancel, realTimeOfferText(13)},
        {"real-time-usb", K::Plain, B::Ok, "USB ERROR REAL TIME"},
        {"save-configuration", K::Warning, B::YesNoCancel, "Do you want to save the present configuration?"},
        {"more-than-13", K::Plain, B::Ok,
         "You are selecting more than 13 memories. Only the first 13 memories will be read."},
        {"peak-settings", K::Warning, B::Ok,
         home + "/M01/02-Live.hdp: the peak limiter settings stored for output 1, 2 are not what the image carries: "
                "opening a file keeps the peak limiter tables of a new preset (limiter at -3.5 dB, knee 6 dB)."},
        {"peak-settings-list", K::Warning, B::Ok,
         "The peak limiter settings stored in these files are not what their images carry; the library keeps the "
         "peak limiter tables of a new preset:" + thirteen},
        {"older-version", K::Warning, B::Ok,
         home + "/old/03-Speech.hdp is not a HALDA40 File or is an older version (then re-save the file to "
                "translate it to VERSION 2.0.0.0"},
        {"cannot-save", K::Error, B::Ok,
         "Cannot create " + deep + "/NoName.hdp.part: Permission denied"},
        {"undesignable", K::Error, B::Ok,
         home + "/broken.hdp: crossover 2 order 9 is outside 1 to 8. It is not a HALDA40 File that can be used."},
        {"bessel", K::Plain, B::Ok, "Maximum Bessel Cutoff = 17500 Hz"},
        {"conversion", K::Plain, B::Ok, "Conversion Error"},
        {"not-valid-import", K::Plain, B::Ok,
         deep + "/woofer_nearfield_measurement_2026.txt is not a valid LspCAD exported data file."},
        {"bad-number", K::Error, B::Ok,
         deep + "/woofer.txt, line 17: \"20,000\" is not a valid number. LspCAD expects: frequency in Hz, "
                "magnitude in dB and phase in degrees, one point a line, in fixed columns. Values separated by blanks "
                "or tabs read as format 7 (FRD)."},
        {"memory", K::Plain, B::Ok, "Not enough memory. Please close the others programs."},
        {"delete-module", K::Warning, B::OkCancel, "Do you want to Delete: STAGE-LE  192.168.100.254  M09"},
        {"ip-changed", K::Information, B::Ok, "IP Changed Successfully"},
        {"ip-not-changed", K::Error, B::Ok,
         "Error Changing IP: no answer from the module within 2000 ms (is it on this network segment?)"},
        {"select-processor", K::Plain, B::Ok, "You must Select a Processor from the Drop Down List"},
        {"newer-version", K::Information, B::YesNo, "There is a newer version. Do you wish to install it?"},
        {"downloaded", K::Information, B::YesNo,
         "The update was downloaded to:\n/tmp/velaupdate-download-Xa81Qz/VELAupdate-Setup-2.1.0.4.exe\n\nRun it to "
         "install the new version; VELAupdate now closes. Do you want to open the folder that holds it?"},
        {"server-unreached", K::Error, B::Ok,
         "The update server could not be reached (http://updates.vela-acoustic.example/velaupdate/version.txt): "
         "Host updates.vela-acoustic.example not found"},
        {"download-failed", K::Error, B::Ok,
         "The update could not be downloaded: the download ended after 1048576 of 5242880 bytes"},
        {"operation-stopped", K::Error, B::Ok, "The operation stopped: std::bad_alloc"},
        {"run-logs", K::Information, B::Ok,
         "The run logs are in /home/installer-with-a-long-name/.local/state/velaupdate"},
        {"unbroken", K::Error, B::Ok,
         "Cannot open " + std::string(300, 'X') + ": a word with no place to break it still wraps."},
    };
}

}  // namespace vela::test
