#include "session/memory_read.h"

#include "link/receive_program.h"
#include "link/send_program.h"
#include "session/session.h"

#include <algorithm>

namespace vela {

std::optional<Channel> readChannel(const Session& s) {
    if (s.state.UsbActive) return Channel::Usb;
    if (s.state.EthernetActive) return Channel::Ethernet;
    if (s.state.SerialActive) return Channel::Serial;
    return std::nullopt;
}

MemoryRead readMemory(Session& s, int memory) {
    MemoryRead read;
    const auto channel = readChannel(s);
    if (!channel) {
        read.failure = "no link to the unit";
        return read;
    }
    if (*channel == Channel::Usb) {
        s.link.usb.UsbConnect();
        // The open failure has been reported and has taken the session offline.
        if (!s.state.UsbActive) {
            read.failure = "the USB bridge could not be opened";
            return read;
        }
    }
    const ReceiveResult r =
        ReceiveProgram(s.link, s.programImage, *channel, static_cast<std::uint8_t>(memory), s.receivedImage);
    closeUsbIfOpen(s.link);
    if (*channel == Channel::Serial) s.link.serial.SerialClose();
    const std::string which = "memory " + std::to_string(memory);
    if (r.noProgram) {
        if (r.answersAfterEmpty)
            read.content = MemoryContent::Empty;
        else
            read.failure = which + " is empty and the unit did not answer the probe that follows";
        read.silentAfterEmpty = !r.answersAfterEmpty;
        return read;
    }
    if (!r.received) {
        read.failure = which + " could not be read back: the unit did not finish the read";
        return read;
    }
    read.program.assign(s.receivedImage.begin(), s.receivedImage.begin() + r.length);
    read.content = MemoryContent::Program;
    return read;
}

std::optional<std::size_t> firstDifference(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b) {
    const auto [ia, ib] = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
    if (ia == a.end() && ib == b.end()) return std::nullopt;
    return static_cast<std::size_t>(ia - a.begin());
}

} // namespace vela
