#include "link/receive_program.h"

#include "link/send_program.h"

#include <algorithm>
#include <optional>
#include <span>
#include <string>

namespace vela {
namespace {

// Message-queue rounds after each step's status text: one delivers everything pending.
constexpr int kSettle = 1;

// The PC's side of the unit's exchange: each step returns true to stop the read.
class Receiver {
public:
    Receiver(DeviceLink& link, const ProgramImage& image, Channel channel, std::uint8_t memory,
             ReceivedImage& received)
        : link_(link), ui_(link.ui), image_(image), channel_(channel), memory_(memory), received_(received) {}

    bool ReceiveBegin() {
        step("Receiving BEGIN...");
        if (channel_ == Channel::Usb && link_.usb.UsbSetTimeouts(1000, 1000) != FT_OK) return true;
        const auto b = readByte();
        if (!b) return true;
        if (channel_ == Channel::Serial) show("Received BEGIN...");
        if (!writeByte(kStartByte)) return true;  // whatever arrived
        if (*b != kStartByte)
            show(channel_ == Channel::Serial ? std::string("  ¡¡ERROR!! El dato no es el esperado (129)")
                                             : "  ¡¡ERROR!! El dato no es el esperado(" + std::to_string(*b) + ")");
        return false;
    }

    bool ReceiveCommand() {
        step("Receiving COMMAND...");
        return !echo();
    }

    bool ReceiveProgramNumber() {
        step("Receiving PROGRAM...");
        return !echo();
    }

    bool ReceiveLong() {
        step("Receiving LONG...");
        const auto high = echo();
        if (!high) return true;
        received_[0] = *high;
        const auto low = echo();
        if (!low) return true;
        received_[1] = *low;
        length_ = static_cast<std::uint16_t>((*high << 8) | *low);
        if (length_ == 0xFFFF) {
            noProgram();
            return true;
        }
        // The buffer holds 32656 bytes; a longer reply is refused rather than stored past it.
        if (length_ > received_.size()) {
            show("¡¡ERROR!! DATA NO VALID (Long)");
            return true;
        }
        show("Received LONG...");
        return false;
    }

    bool ReceiveData() {
        const std::size_t blocks = length_ / kBlockSize;
        const std::size_t rest = length_ % kBlockSize;
        std::size_t i = 0;
        for (std::size_t k = 0; k < blocks; ++k) {
            if (collect(i, kBlockSize)) return true;
            i += kBlockSize;
            ui_.showTransferWindow();
            show("Receive data...");
            settle();
            ui_.gaugeMaximum(Gauge::ProgressBar, length_);
            show("LONG : " + std::to_string(length_));
            const std::uint8_t ack = received_[i - 1];
            ui_.gaugeAdvance(Gauge::ProgressBar, static_cast<int>(kBlockSize));
            show("Reading Configuration " + std::to_string(memory_) + " from the " + kUnitName);
            if (!writeByte(ack)) return true;
            settle();
        }
        if (rest > 0) {
            if (collect(i, rest)) return true;
            i += rest;
            const std::uint8_t ack = received_[i - 1];
            show("Rest...");
            settle();
            // The bar runs to its end.
            ui_.gaugeMaximum(Gauge::ProgressBar, length_);
            ui_.gaugePosition(Gauge::ProgressBar, length_);
            if (!writeByte(ack)) return true;
        }
        show("Data Received...");
        return false;
    }

    bool ReceiveEnd() {
        step("Receiving END ...");
        const auto b = echo();
        if (!b) return true;
        if (*b != kEndByte) show(" ERROR FINAL...");
        show("Received END...");
        return false;
    }

    // The unit has no program. Over USB the bridge is opened afresh and the probe checks
    // that the unit still answers.
    void noProgram() {
        noProgram_ = true;
        if (channel_ != Channel::Usb) return;
        link_.usb.UsbClose();
        link_.usb.UsbConnect();
        answersAfterEmpty_ = link_.state.UsbActive &&
                             SendProgram(link_, image_, Channel::Usb, CommandCode::ProbeCommand, 0, 0, false) ==
                                 ExchangeResult::Success;
        closeUsbIfOpen(link_);
    }

    void show(std::string_view text) { ui_.status(StatusField::LibraryInfo, text); }
    [[nodiscard]] bool writeByte(std::uint8_t b) { return link_.write(channel_, std::span(&b, 1)); }

    std::uint16_t length() const { return length_; }
    bool sawNoProgram() const { return noProgram_; }
    bool answersAfterEmpty() const { return answersAfterEmpty_; }

private:
    void step(std::string_view text) {
        show(text);
        ui_.pump(kSettle);
    }
    void settle() {
        if (channel_ != Channel::Serial) ui_.pump(kSettle);
    }

    // One byte from the unit; nullopt when none came in time.
    std::optional<std::uint8_t> readByte() {
        switch (channel_) {
        case Channel::Usb:
            // A silent unit must not pass off a stale buffer byte as its answer.
            if (link_.usb.UsbRead(1) != 1) return std::nullopt;
            return link_.buffers.UsbReceiveBuffer[0];
        case Channel::Ethernet:
            if (link_.waitForEthernetReply()) return std::nullopt;
            return link_.buffers.LastReplyByte;
        case Channel::Serial:
            if (link_.waitForSerialReply(true)) return std::nullopt;
            return link_.buffers.LastReplyByte;
        }
        return std::nullopt;
    }

    std::optional<std::uint8_t> echo() {
        const auto b = readByte();
        if (b && !writeByte(*b)) return std::nullopt;
        return b;
    }

    // Collects `wanted` bytes into received_[at..]; true when the unit fell silent. Each
    // receive event contributes what it carried, never more than the block still needs.
    bool collect(std::size_t at, std::size_t wanted) {
        std::uint8_t* dest = received_.data() + at;
        if (channel_ == Channel::Usb) return link_.usb.readBlock(dest, wanted);
        std::size_t got = 0;
        while (got < wanted) {
            std::span<const std::uint8_t> event;
            if (channel_ == Channel::Ethernet) {
                if (link_.waitForEthernetReply(wanted - got)) return true;
                event = std::span(link_.buffers.EthernetReceiveBuffer)
                            .first(static_cast<std::size_t>(std::max(link_.buffers.EthernetReceiveCount, 0)));
            } else {
                if (link_.waitForSerialReply(true)) return true;
                event = link_.buffers.SerialReceiveData;
            }
            const std::size_t n = std::min(event.size(), wanted - got);
            std::copy_n(event.begin(), n, dest + got);
            got += n;
        }
        return false;
    }

    DeviceLink& link_;
    UserInterface& ui_;
    const ProgramImage& image_;
    Channel channel_;
    std::uint8_t memory_;
    ReceivedImage& received_;
    std::uint16_t length_ = 0;
    bool noProgram_ = false;
    bool answersAfterEmpty_ = true;
};

// Sends the read request and the START byte; false when the read cannot begin.
bool beginRead(DeviceLink& link, const ProgramImage& image, Channel channel, std::uint8_t memory, Receiver& r) {
    UserInterface& ui = link.ui;
    auto request = [&] {
        return SendProgram(link, image, channel, CommandCode::ReadRequestCommand, memory, 0, false) ==
               ExchangeResult::Success;
    };
    switch (channel) {
    case Channel::Usb:
        if (!request()) return false;
        r.show("Read program...");
        ui.pump(kSettle);
        if (link.usb.UsbOpen() != FT_OK) {
            ui.closeTransferWindow();
            return false;
        }
        if (!r.writeByte(kStartByte)) return false;
        r.show("Start comunication...");
        ui.pump(kSettle);
        return true;
    case Channel::Ethernet:
        if (!link.ethernet.ReconnectEthernet()) {
            ui.closeTransferWindow();
            return false;
        }
        ui.showTransferWindow();
        if (!request()) return false;
        if (!r.writeByte(kStartByte)) return false;
        r.show("Start comunication...");
        ui.pump(kSettle);
        return true;
    case Channel::Serial:
        if (!request()) return false;
        r.show("Read program...");
        if (!r.writeByte(kStartByte)) return false;
        r.show("Start comunication...");
        return true;
    }
    return false;
}

}  // namespace

ReceiveResult ReceiveProgram(DeviceLink& link, const ProgramImage& image, Channel channel, std::uint8_t memory,
                             ReceivedImage& received) {
    ReceiveResult result;
    Receiver r(link, image, channel, memory, received);
    const bool stopped = !beginRead(link, image, channel, memory, r) || r.ReceiveBegin() || r.ReceiveCommand() ||
                         r.ReceiveProgramNumber() || r.ReceiveLong() || r.ReceiveData() || r.ReceiveEnd();
    result.noProgram = r.sawNoProgram();
    result.answersAfterEmpty = r.answersAfterEmpty();
    result.length = r.length();
    if (stopped) {
        // The bridge takes one handle at a time: the next exchange must be able to open it.
        if (channel == Channel::Usb) closeUsbIfOpen(link);
        return result;
    }
    r.show("Comunication is OK...");
    link.ui.closeTransferWindow();
    link.ui.pump(kSettle);
    result.received = true;
    return result;
}

}  // namespace vela
