#include "link/send_program.h"

#include "link/big_endian.h"

#include <algorithm>
#include <span>
#include <string>

namespace vela {
namespace {

// After each status text and block the message queue is pumped so the window shows it. One
// round delivers everything pending; more rounds only delay the next step on the wire.
constexpr int kPace = 1;

class Sender {
public:
    Sender(DeviceLink& link, Channel channel) : link_(link), ui_(link.ui), channel_(channel) {}

    void show(std::string_view text) {
        ui_.status(StatusField::LibraryInfo, text);
        if (channel_ != Channel::Serial) ui_.status(StatusField::TransferInfo, text);
    }
    void pace() {
        if (channel_ != Channel::Serial) ui_.pump(kPace);
    }
    void showPaced(std::string_view text) {
        show(text);
        pace();
    }

    // False when the bytes could not go out; the channel has said why.
    [[nodiscard]] bool write(std::span<const std::uint8_t> bytes) { return link_.write(channel_, bytes); }
    [[nodiscard]] bool writeByte(std::uint8_t b) { return write(std::span(&b, 1)); }

    // The unit's answer byte; nullopt when none came.
    std::optional<std::uint8_t> reply() {
        bool failed = true;
        switch (channel_) {
        case Channel::Usb: failed = link_.usb.readReplyByte(); break;
        case Channel::Ethernet: failed = link_.waitForEthernetReply(); break;
        case Channel::Serial: failed = link_.waitForSerialReply(true); break;
        }
        if (failed) return std::nullopt;
        return link_.buffers.LastReplyByte;
    }

    bool open() {
        switch (channel_) {
        case Channel::Usb: {
            const bool opened = link_.usb.UsbOpen() == FT_OK;
            ui_.status(StatusField::InfoComLabel, "Comunication: USB");
            pace();
            return opened;
        }
        case Channel::Ethernet:
            ui_.status(StatusField::InfoComLabel, "Comunication: ETHERNET");
            ui_.pump();
            return link_.ethernet.ReconnectEthernet();
        case Channel::Serial:
            link_.serial.SerialClose();
            if (link_.serial.SerialOpen()) return true;
            link_.serial.reportOpenFailure();
            return false;
        }
        return false;
    }

    void closeAfterProtected() {
        if (channel_ == Channel::Usb) link_.usb.UsbClose();
        if (channel_ == Channel::Ethernet) link_.ethernet.close();
    }

    void succeed() {
        if (channel_ != Channel::Ethernet) showPaced("Received END...");
        showPaced("Communication OK...");
        if (channel_ != Channel::Serial) ui_.status(StatusField::TransferInfo, "Communication OK...");
        if (channel_ == Channel::Usb) link_.usb.UsbClose();
        if (channel_ == Channel::Ethernet) ui_.pump();
        ui_.closeTransferWindow();
    }

private:
    DeviceLink& link_;
    UserInterface& ui_;
    Channel channel_;
};

std::string dataSuffix(const DeviceLink& link, Channel channel, CommandCode command) {
    if (command == CommandCode::WriteProgramCommand || command == CommandCode::ReadRequestCommand)
        return " to Memory " + std::to_string(link.state.ProgramNumber);
    if (command == CommandCode::DspProgramCommand && channel != Channel::Serial)
        return channel == Channel::Usb ? " DSP Program " : " DSP Program";
    return {};
}

}  // namespace

std::string_view channelName(Channel channel) {
    switch (channel) {
    case Channel::Usb: return "USB";
    case Channel::Ethernet: return "ETHERNET";
    case Channel::Serial: return "SERIAL";
    }
    return {};
}

std::optional<std::uint16_t> programImageLength(const ProgramImage& image) {
    const std::size_t length = std::size_t(be::get16(image, 0)) + 2;
    if (length > image.size()) return std::nullopt;
    return static_cast<std::uint16_t>(length);
}

void closeUsbIfOpen(DeviceLink& link) {
    if (link.usb.isOpen()) link.usb.UsbClose();
}

namespace {

ExchangeResult exchange(DeviceLink& link, const ProgramImage& image, Channel channel, CommandCode command,
                        std::uint8_t program, std::uint16_t length, bool showWindow, ProtectedNotice notice) {
    constexpr auto kFailure = ExchangeResult::Failure;
    UserInterface& ui = link.ui;
    Sender s(link, channel);
    // The buffer holds 32768 bytes; a longer length would send what lies beyond it.
    if (length > image.size()) {
        s.show("¡¡ERROR!! DATA NO VALID (Long)");
        return kFailure;
    }

    if (showWindow) ui.showTransferWindow();
    if (!s.open()) {
        ui.closeTransferWindow();
        return kFailure;
    }
    ui.gaugeMaximum(Gauge::ProgressBar, length);
    if (channel == Channel::Serial) ui.gaugePosition(Gauge::ProgressBar, 0);

    // START
    s.showPaced("Sending START...");
    if (!s.writeByte(kStartByte)) return kFailure;
    auto answer = s.reply();
    if (!answer) return kFailure;
    if (*answer != kStartByte) {
        const char* head = channel == Channel::Ethernet ? "  ¡¡ERROR!! DATA NO VALID(" : "  ¡¡ERROR!! HEADER NO VALID(";
        s.showPaced(head + std::to_string(*answer) + ")");
        return kFailure;
    }
    s.showPaced("Received START...");

    // COMMAND: any answer will do.
    s.showPaced("Sending COMMAND...");
    if (!s.writeByte(static_cast<std::uint8_t>(command)) || !s.reply()) return kFailure;
    s.showPaced("Received COMMAND...");

    // PROGRAM NUMBER
    s.showPaced("Sending PROGRAM NUMBER...");
    if (!s.writeByte(program)) return kFailure;
    answer = s.reply();
    if (!answer) return kFailure;
    if (*answer == kProtectedAnswer && program != kProtectedAnswer) {
        if (notice == ProtectedNotice::Box)
            ui.message(MessageKind::Information, Buttons::Yes,
                       "MEMORY PROTECTED. If you want to override it, you must unprotect it from the keyboard of "
                       "the Processor.");
        s.closeAfterProtected();
        // The memory was not written, though the link is sound.
        return ExchangeResult::Protected;
    }
    if (*answer != program) {
        s.show("  ¡¡ERROR!! DATA NO VALID (n_prog)");
        return kFailure;
    }
    s.show("Received Program Number...");
    s.pace();
    if (!s.writeByte(program)) return kFailure;  // the repetition is not answered

    // LONG
    s.showPaced("Sending LONG...");
    const auto low = static_cast<std::uint8_t>(length & 0xFF);
    const auto high = static_cast<std::uint8_t>(length >> 8);
    const std::uint8_t both[2] = {high, low};
    const bool sent = channel == Channel::Ethernet ? s.write(both) : s.writeByte(high) && s.writeByte(low);
    if (!sent) return kFailure;
    answer = s.reply();
    if (!answer) return kFailure;
    if (*answer != low) {
        s.showPaced("¡¡ERROR!! DATA NO VALID (Long)");
        return kFailure;
    }
    s.showPaced("Received LONG...");

    // DATA: full blocks, then the remainder; the answers' values are not examined.
    s.showPaced("Sending DATA..." + dataSuffix(link, channel, command));
    const std::size_t blocks = length / kBlockSize;
    const std::size_t rest = length % kBlockSize;
    const std::span<const std::uint8_t> data(image.data(), length);
    for (std::size_t k = 0; k < blocks; ++k) {
        if (!s.write(data.subspan(k * kBlockSize, kBlockSize)) || !s.reply()) return kFailure;
        ui.gaugePosition(Gauge::ProgressBar, static_cast<int>((k + 1) * kBlockSize));
        if (channel != Channel::Serial) ui.gaugeAdvance(Gauge::TotalProgress, static_cast<int>(kBlockSize));
        s.pace();
    }
    if (rest > 0) {
        if (!s.write(data.subspan(blocks * kBlockSize, rest)) || !s.reply()) return kFailure;
    }

    // END
    s.showPaced("Sending END...");
    if (!s.writeByte(kEndByte)) return kFailure;
    answer = s.reply();
    if (!answer) return kFailure;
    if (*answer != kEndByte) {
        ui.message(MessageKind::Plain, Buttons::Ok, "ERROR");
        s.showPaced(" ¡¡ERROR!! DATA NO VALID (END)");
        return kFailure;
    }
    s.succeed();
    return ExchangeResult::Success;
}

}  // namespace

ExchangeResult SendProgram(DeviceLink& link, const ProgramImage& image, Channel channel, CommandCode command,
                           std::uint8_t program, std::uint16_t length, bool showWindow, ProtectedNotice notice) {
    const auto result = exchange(link, image, channel, command, program, length, showWindow, notice);
    // The bridge takes one handle at a time: a failed exchange must not keep it, or the
    // next exchange could not open it.
    if (result == ExchangeResult::Failure && channel == Channel::Usb) closeUsbIfOpen(link);
    return result;
}

}  // namespace vela
