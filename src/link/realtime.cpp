#include "link/realtime.h"

#include "link/big_endian.h"
#include "link/send_program.h"
#include "platform/timer_resolution.h"

#include <algorithm>
#include <thread>

namespace vela {

std::size_t realTimePayloadSize(std::uint8_t type) {
    switch (type) {
    case 0: return 22;
    case 2:
    case 3: return 6;
    default: return 0;
    }
}

ExchangeResult RealTimeSender::SendRealTime(Channel channel, std::uint8_t target, std::uint8_t type) {
    const std::size_t n = realTimePayloadSize(type);
    const std::uint8_t header[4] = {kStartByte, kRealTimeMarker, target, type};
    const std::span<const std::uint8_t> payload(RealTimeMessage.data(), n);
    const std::uint8_t end = kEndByte;
    SessionState& state = link_.state;
    // A frame that did not wholly go out is a failed send, which the caller reports.
    bool sent = false;
    switch (channel) {
    case Channel::Usb:
        if (link_.usb.UsbOpen() != FT_OK) return ExchangeResult::Failure;
        state.RealTimeBusy = true;
        sent = link_.usb.writeBytes(header) && link_.usb.writeBytes(payload) && link_.usb.writeBytes(std::span(&end, 1));
        state.RealTimeBusy = false;
        closeUsbIfOpen(link_);  // a failed write has already taken the link offline
        break;
    case Channel::Ethernet:
        // On the socket as it is: no reconnection, no answer awaited.
        state.RealTimeBusy = true;
        sent = link_.ethernet.writeBytes(header) && link_.ethernet.writeBytes(payload) &&
               link_.ethernet.writeBytes(std::span(&end, 1));
        state.RealTimeBusy = false;
        break;
    case Channel::Serial: {
        state.RealTimeBusy = true;
        sent = link_.serial.isOpen() || link_.serial.SerialOpen();
        for (const std::uint8_t b : header) sent = sent && link_.serial.SerialWrite(&b, 1) == 1;
        for (const std::uint8_t b : payload) sent = sent && link_.serial.SerialWrite(&b, 1) == 1;
        sent = sent && link_.serial.SerialWrite(&end, 1) == 1;
        link_.ui.closeTransferWindow();
        state.RealTimeBusy = false;
        link_.serial.SerialClose();
        break;
    }
    }
    return sent ? ExchangeResult::Success : ExchangeResult::Failure;
}

std::vector<std::uint8_t> RealTimeSender::frame(std::uint8_t target, std::uint8_t type) const {
    // Sized once and filled: growing a four-byte vector by the payload makes GCC 12 see a copy
    // out of bounds that is not there.
    const std::size_t n = realTimePayloadSize(type);
    std::vector<std::uint8_t> f(n + 5);
    f[0] = kStartByte;
    f[1] = kRealTimeMarker;
    f[2] = target;
    f[3] = type;
    std::copy_n(RealTimeMessage.begin(), n, f.begin() + 4);
    f.back() = kEndByte;
    return f;
}

void RealTimeSender::waitForTheLine(std::uint8_t type) {
    // A bridge or socket takes a frame into its buffer at once; sent back to back, a drag's
    // frames would queue there ahead of the unit, which reads them at the line's speed. So the
    // next frame goes only once the last one has crossed the line: one frame on its way.
    const auto now = std::chrono::steady_clock::now();
    if (lineFreeAt_ > now) {
        // A frame takes under 2 ms on the line: a wait to the next system tick would be many.
        const platform::TimerResolution fine;
        std::this_thread::sleep_until(lineFreeAt_);
    }
    const auto bits = std::chrono::nanoseconds(10'000'000'000LL / std::max<std::uint32_t>(1, link_.usb.settings.baud));
    lineFreeAt_ = std::max(now, lineFreeAt_) + bits * static_cast<long>(realTimePayloadSize(type) + 5);
}

bool RealTimeSender::sendOnActiveLinks(std::uint8_t type) {
    waitForTheLine(type);
    const SessionState& state = link_.state;
    const std::uint8_t target = state.RealTimeTarget;
    bool ok = true;
    const auto sendOn = [&](bool active, Channel channel, const char* error) {
        if (active && SendRealTime(channel, target, type) == ExchangeResult::Failure) {
            link_.ui.message(MessageKind::Plain, Buttons::Ok, error);
            ok = false;
        }
    };
    sendOn(state.UsbActive, Channel::Usb, "USB ERROR REAL TIME");
    sendOn(state.EthernetActive, Channel::Ethernet, "ETHERNET ERROR REAL TIME");
    sendOn(state.SerialActive, Channel::Serial, "COM ERROR REAL TIME");
    return ok;
}

void RealTimeSender::SendParameterValue(std::int32_t value, std::uint16_t address) {
    link_.ui.pump();  // the short pause before the message
    be::put16(RealTimeMessage, 0, address);
    be::put32(RealTimeMessage, 2, static_cast<std::uint32_t>(value));
    sendOnActiveLinks(2);
}

bool RealTimeSender::sendWords(std::uint8_t type, std::uint16_t address, std::span<const std::uint32_t> words) {
    be::put16(RealTimeMessage, 0, address);
    const std::size_t fit = std::min(words.size(), (RealTimeMessage.size() - 2) / 4);
    for (std::size_t i = 0; i < fit; ++i) be::put32(RealTimeMessage, 2 + 4 * i, words[i]);
    return sendOnActiveLinks(type);
}

}  // namespace vela
