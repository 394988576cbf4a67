#include "session/unit_commands.h"

#include "link/dsp_update.h"
#include "session/guarded.h"
#include "preset/program_image.h"
#include "session/identify.h"

#include <string>
#include <vector>

namespace vela {
namespace {

constexpr int kCopyAllSettle = 20000; // message-queue rounds between two memories
constexpr const char* kCopyAllCaption = "Same Copy at All Memories";

std::uint8_t memory(const Session& s) {
    return static_cast<std::uint8_t>(s.state.ProgramNumber);
}

bool send(Session& s, Channel channel, CommandCode code, std::uint8_t program, std::uint16_t length) {
    return SendProgram(s.link, s.programImage, channel, code, program, length, true) ==
           ExchangeResult::Success;
}

// Opens the bridge with its settings before a USB command; false when it cannot be opened,
// which has been reported and has taken the session offline.
bool connectUsb(Session& s) {
    s.link.usb.UsbConnect();
    return s.state.UsbActive;
}

// The commands that address the unit as a whole go over USB, or over the serial line when
// USB is not active.
Channel usbOrSerial(const Session& s) {
    return s.state.UsbActive ? Channel::Usb : Channel::Serial;
}

bool sendUsbOrSerial(Session& s, CommandCode code, std::uint16_t length) {
    const Channel channel = usbOrSerial(s);
    if (send(s, channel, code, 0, length)) return true;
    if (channel == Channel::Usb) closeUsbIfOpen(s.link);
    return false;
}

// The commands for the unit as a whole travel over USB or the serial line only. Over Ethernet
// (or with no link) they are refused before anything is asked or sent, and the link stays.
bool refusedWithoutUsbOrSerial(Session& s, std::string_view command) {
    if (s.state.UsbActive || s.state.SerialActive) return false;
    s.ui.error(std::string(command) + ": the HALDA40 takes this command over USB or the serial line only. Nothing "
                                      "was sent.");
    return true;
}

// A one-byte command after an OK/Cancel question. The keyboard lock gives the controls back
// whatever its exchange did; the other commands leave them locked after a failure.
OperationResult oneByteCommand(Session& s, std::string_view command, std::string_view question, CommandCode code,
                               std::uint8_t data) {
    if (refusedWithoutUsbOrSerial(s, command)) return OperationResult::Failed;
    s.link.DisableUnitCommands();
    if (s.ui.message(MessageKind::Warning, Buttons::OkCancel, question) != Answer::Ok) {
        s.link.EnableUnitCommands();
        return OperationResult::Declined;
    }
    s.programImage[0] = data;
    const bool sent = sendUsbOrSerial(s, code, 1);
    if (sent || code == CommandCode::KeyboardLockCommand) s.link.EnableUnitCommands();
    return sent ? OperationResult::Done : OperationResult::Failed;
}

// A command without data on every active link in the order USB, Ethernet, serial; false at
// the first link that fails.
bool sendOnActiveLinks(Session& s, CommandCode code, std::uint8_t program) {
    if (s.state.UsbActive) {
        if (!connectUsb(s)) return false;
        if (!send(s, Channel::Usb, code, program, 0)) {
            closeUsbIfOpen(s.link);
            return false;
        }
    }
    if (s.state.EthernetActive && !send(s, Channel::Ethernet, code, program, 0)) return false;
    if (s.state.SerialActive && !send(s, Channel::Serial, code, program, 0)) return false;
    return true;
}

bool isActive(const Session& s, Channel channel) {
    switch (channel) {
    case Channel::Usb:
        return s.state.UsbActive;
    case Channel::Ethernet:
        return s.state.EthernetActive;
    case Channel::Serial:
        return s.state.SerialActive;
    }
    return false;
}

bool writeImage(Session& s, Channel channel, std::uint8_t program, std::uint16_t length) {
    UserInterface& ui = s.ui;
    if (channel == Channel::Usb && !connectUsb(s)) return false;
    if (send(s, channel, CommandCode::WriteProgramCommand, program, length)) return true;
    if (channel == Channel::Usb) {
        ui.closeTransferWindow();
        closeUsbIfOpen(s.link);
        ui.warning("The HALDA40 was closed. You need to Reconnect.");
        s.windows.connectFormVisible = true;
    } else if (channel == Channel::Ethernet) {
        ui.closeTransferWindow();
        ui.error("ETHERNET: Communication Error with HALDA40");
        s.link.DropLink();
    }
    return false;
}

// The write exchange, then the change command, on one link; false at the first failure.
// `written` tells the summary of a stopped write whether the memory got its program.
bool writeAndChange(Session& s, Channel channel, std::uint16_t length, bool& written) {
    UserInterface& ui = s.ui;
    const auto change = CommandCode::ChangeProgramCommand;
    if (!writeImage(s, channel, memory(s), length)) return false;
    written = true;
    ui.pump();
    if (ui.stop.requested()) throw RunStopped{};
    if (!send(s, channel, change, memory(s), 0)) {
        if (channel == Channel::Usb) closeUsbIfOpen(s.link);
        if (channel == Channel::Ethernet) s.link.DropLink();
        return false;
    }
    return true;
}

OperationResult write(Session& s) {
    UserInterface& ui = s.ui;
    const std::string n = std::to_string(s.state.ProgramNumber);
    if (ui.message(MessageKind::Warning, Buttons::YesNoCancel,
                   "The memory " + n + " have a preset stored. Do you want to overwrite it?") != Answer::Yes)
        return OperationResult::Declined;
    s.link.DisableUnitCommands();
    const auto length = programImageLength(s.programImage);
    if (!length) return OperationResult::Failed;
    bool written = false;
    try {
        for (const Channel channel : {Channel::Usb, Channel::Ethernet, Channel::Serial}) {
            if (!isActive(s, channel)) continue;
            if (ui.stop.requested()) throw RunStopped{};
            if (!writeAndChange(s, channel, *length, written)) return OperationResult::Failed;
        }
    } catch (const RunStopped&) {
        closeAfterStop(s.link);
        s.link.EnableUnitCommands();
        ui.warning(written ? "The write was stopped: memory " + n + " was written but not made current."
                           : "The write was stopped: memory " + n + " was not written.");
        return OperationResult::Stopped;
    }
    ui.pump();
    s.link.EnableUnitCommands();
    return OperationResult::Done;
}

OperationResult copyToAll(Session& s) {
    if (refusedWithoutUsbOrSerial(s, kCopyAllCaption)) return OperationResult::Failed;
    s.link.DisableUnitCommands();
    const auto length = programImageLength(s.programImage);
    if (!length) return OperationResult::Failed;
    const Channel channel = usbOrSerial(s);
    std::vector<int> written;
    try {
        for (int k = 1; k <= kMemoryCount; ++k) {
            if (s.ui.stop.requested()) throw RunStopped{};
            s.state.setProgramNumber(k);
            s.ui.pump(); // the short pause before each memory
            if (!send(s, channel, CommandCode::WriteProgramCommand, static_cast<std::uint8_t>(k), *length)) {
                if (channel == Channel::Usb) closeUsbIfOpen(s.link);
                // The exchange said what failed; this says what the unit holds now.
                s.ui.warning("Copy to all memories did not finish. " + writtenMemoriesText(written, kMemoryCount) + ".");
                return OperationResult::Failed;
            }
            written.push_back(k);
            s.ui.pump(kCopyAllSettle);
        }
    } catch (const RunStopped&) {
        closeAfterStop(s.link);
        s.link.EnableUnitCommands();
        s.ui.warning("Copy to all memories was stopped. " + writtenMemoriesText(written, kMemoryCount) + ".");
        return OperationResult::Stopped;
    }
    s.link.EnableUnitCommands();
    return OperationResult::Done;
}

MemoryRead read(Session& s) {
    s.link.DisableUnitCommands();
    MemoryRead result;
    // The request and the read-back that follows it are one exchange for a stop request: the
    // unit answers a request by waiting for the read-back.
    try {
        if (!s.state.NewCancelled && readChannel(s)) {
            result = readMemory(s, s.state.ProgramNumber);
            applyReadBack(s, result);
        }
    } catch (const RunStopped&) {
        closeAfterStop(s.link);
        s.ui.warning("The read was stopped: memory " + std::to_string(s.state.ProgramNumber) +
                     " was not read.");
        result = MemoryRead{};
    }
    s.link.EnableUnitCommands();
    return result;
}

OperationResult change(Session& s) {
    if (s.ui.message(MessageKind::Warning, Buttons::YesNoCancel,
                     "Do you want to Change the present configuration and load the memory " +
                         std::to_string(s.state.ProgramNumber) + " in the " + kUnitName + " ?") !=
        Answer::Yes)
        return OperationResult::Declined;
    s.link.DisableUnitCommands();
    if (!sendOnActiveLinks(s, CommandCode::ChangeProgramCommand, memory(s))) return OperationResult::Failed;
    s.link.EnableUnitCommands();
    return OperationResult::Done;
}

OperationResult reset(Session& s) {
    s.ui.beep();
    if (s.ui.message(MessageKind::Information, Buttons::YesNo, "Do you want to RESET the DSP?") !=
        Answer::Yes)
        return OperationResult::Declined;
    s.link.DisableUnitCommands();
    if (!sendOnActiveLinks(s, CommandCode::ResetCommand, 0)) return OperationResult::Failed;
    s.link.EnableUnitCommands();
    return OperationResult::Done;
}

OperationResult askAndUpdateDsp(Session& s, const FirmwareImage& firmware) {
    s.ui.beep();
    if (s.ui.message(
            MessageKind::Warning, Buttons::YesNo,
            "WARNING!!! Updating the DSP Operating System may left your HALDA40 unit blocked if it does not "
            "finish correctlly. Please, be sure that  everything is connected well. Do you want to continue "
            "anyway?") != Answer::Yes)
        return OperationResult::Declined;
    if (s.ui.stop.requested()) {
        s.ui.warning("The DSP Operating System update was stopped before it began; nothing was sent.");
        return OperationResult::Stopped;
    }
    s.link.DisableUnitCommands();
    const auto result = updateOperatingSystem(s.link, s.programImage, firmware);
    s.link.EnableUnitCommands();
    if (result == OperatingSystemUpdate::CutShort) {
        s.ui.warning("The update was stopped: " + std::string(kOperatingSystemCutShort) + ".");
        return OperationResult::Stopped;
    }
    return result == OperatingSystemUpdate::Sent ? OperationResult::Done : OperationResult::Failed;
}

// The image the choice carries, or nothing after saying why it may not be sent.
const FirmwareImage* sendable(Session& s, const FirmwareChoice& firmware) {
    if (firmware.image && firmware.refusal.empty()) return &*firmware.image;
    s.ui.error(firmware.refusal);
    return nullptr;
}

OperationResult password(Session& s, const PasswordBytes& confirmed) {
    s.link.DisableUnitCommands();
    std::copy(confirmed.begin(), confirmed.end(), s.programImage.begin());
    if (!sendUsbOrSerial(s, CommandCode::PasswordCommand, static_cast<std::uint16_t>(confirmed.size())))
        return OperationResult::Failed;
    s.link.EnableUnitCommands();
    return OperationResult::Done;
}

// Keeps what the command did for the processor window, and passes its result on.
OperationResult noted(Session& s, OperationResult result, std::string done, std::string notDone) {
    switch (result) {
    case OperationResult::Done:
        s.commandOutcome = std::move(done);
        break;
    case OperationResult::Declined:
        s.commandOutcome = "Nothing was sent";
        break;
    default:
        s.commandOutcome = std::move(notDone);
    }
    return result;
}

std::string memoryText(const Session& s) {
    return "Memory " + std::to_string(s.state.ProgramNumber);
}

} // namespace

OperationResult writeProgram(Session& s) {
    const std::string memory = memoryText(s);
    return noted(s, guarded(s, [&] { return write(s); }), memory + " written", memory + " not written");
}
OperationResult copyProgramToAll(Session& s) {
    return noted(s, guarded(s, [&] { return copyToAll(s); }), "Memories 1 to 13 written",
                 "Copy to all memories did not finish");
}
OperationResult writePresetProgram(Session& s, const PresetParameters& preset) {
    generateProgramImage(preset, s.SampleRate, s.programImage);
    return writeProgram(s);
}

OperationResult copyPresetProgramToAll(Session& s, const PresetParameters& preset) {
    if (refusedWithoutUsbOrSerial(s, kCopyAllCaption))
        return noted(s, OperationResult::Failed, {}, "Nothing was sent");
    // Thirteen memories at once: asked as Write asks for one.
    if (s.ui.message(MessageKind::Warning, Buttons::YesNo,
                     std::string(kCopyAllCaption) + " overwrites memories 1 to 13. Go on?") != Answer::Yes)
        return noted(s, OperationResult::Declined, {}, {});
    generateProgramImage(preset, s.SampleRate, s.programImage);
    return copyProgramToAll(s);
}

OperationResult changeProgram(Session& s) {
    const std::string memory = memoryText(s);
    return noted(s, guarded(s, [&] { return change(s); }), memory + " loaded", memory + " not loaded");
}
OperationResult resetUnit(Session& s) {
    return noted(s, guarded(s, [&] { return reset(s); }), "DSP reset", "DSP not reset");
}

ProgramRead readProgram(Session& s) {
    const std::string memory = memoryText(s);
    ProgramRead r;
    r.result = guarded(s, [&] {
        r.program = read(s);
        return r.program.content != MemoryContent::Unread ? OperationResult::Done : OperationResult::Failed;
    });
    noted(s, r.result, memory + (r.program.content == MemoryContent::Empty ? " holds no program" : " read"), memory + " not read");
    return r;
}

OperationResult updateDspOperatingSystem(Session& s, const FirmwareChoice& firmware) {
    const FirmwareImage* image = sendable(s, firmware);
    if (!image) return noted(s, OperationResult::Failed, {}, "Nothing was sent");
    return noted(s, guarded(s, [&] { return askAndUpdateDsp(s, *image); }), "DSP Operating System updated",
                 "DSP Operating System not updated");
}

OperationResult sendDspOperatingSystem(Session& s, const FirmwareChoice& firmware) {
    const FirmwareImage* image = sendable(s, firmware);
    if (!image) return OperationResult::Failed;
    return guarded(s, [&] {
        s.link.DisableUnitCommands();
        const bool sent = UpdateDspOperatingSystem(s.link, s.programImage, *image);
        s.link.EnableUnitCommands();
        return sent ? OperationResult::Done : OperationResult::Failed;
    });
}

OperationResult lockKeyboard(Session& s) {
    return noted(s, guarded(s, [&] {
                     return oneByteCommand(s, "Lock", "Do you want to LOCK the Keyboard?",
                                           CommandCode::KeyboardLockCommand, 0xFF);
                 }),
                 "Keyboard locked", "Keyboard not locked");
}

OperationResult unlockKeyboard(Session& s) {
    return noted(s, guarded(s, [&] {
                     return oneByteCommand(s, "Unlock", "Do you want to UNLOCK the Keyboard?",
                                           CommandCode::KeyboardLockCommand, 0x00);
                 }),
                 "Keyboard unlocked", "Keyboard not unlocked");
}

OperationResult onlyChangeFromKeyboard(Session& s) {
    return noted(s, guarded(s, [&] {
                     return oneByteCommand(s, "Only Change", "Do you want to Activate, Only Change Memory from Keyboard?",
                                           CommandCode::KeyboardOnlyChangeCommand, 0xFF);
                 }),
                 "Only change memory from keyboard activated", "Only change memory from keyboard not activated");
}

std::optional<PasswordBytes> passwordBytes(std::string_view code) {
    if (code.empty() || code.size() > 7) return std::nullopt;
    PasswordBytes bytes{};
    for (std::size_t i = 0; i < code.size(); ++i) {
        const auto c = static_cast<unsigned char>(code[i]);
        if (c < 0x20 || c > 0x7E) return std::nullopt;
        bytes[i] = c;
    }
    return bytes;
}

OperationResult sendPassword(Session& s, const std::optional<PasswordBytes>& confirmed) {
    if (refusedWithoutUsbOrSerial(s, "Password")) return noted(s, OperationResult::Failed, {}, "Nothing was sent");
    if (!confirmed) return noted(s, OperationResult::Declined, {}, {});
    return noted(s, guarded(s, [&] { return password(s, *confirmed); }), "Password set", "Password not set");
}

bool writeMemoryImage(Session& s, Channel channel, int memory) {
    const auto length = programImageLength(s.programImage);
    return length && writeImage(s, channel, static_cast<std::uint8_t>(memory), *length);
}

} // namespace vela
