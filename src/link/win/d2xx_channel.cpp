#include "link/win/d2xx_channel.h"

#include "link/ftdi.h"

#include <algorithm>

namespace vela {
namespace {

unsigned long clampedMs(Millis t) {
    return static_cast<unsigned long>(std::clamp<long long>(t.count(), 1, 0x7FFFFFFF));
}

std::string statusText(d2xx::Status status) {
    switch (status) {
    case FT_INVALID_HANDLE:
        return "invalid handle";
    case FT_DEVICE_NOT_FOUND:
        return "device not found";
    case FT_DEVICE_NOT_OPENED:
        return "device not opened";
    case FT_IO_ERROR:
        return "I/O error";
    case FT_INSUFFICIENT_RESOURCES:
        return "insufficient resources";
    case FT_INVALID_PARAMETER:
        return "invalid parameter";
    default:
        return "status " + std::to_string(status);
    }
}

} // namespace

std::string D2xxChannel::address() const {
    return "USB bridge " + std::to_string(index_ + 1) + " (D2XX)";
}

bool D2xxChannel::check(const char* call, d2xx::Status status) {
    if (status == d2xx::kOk) return true;
    error_ = address() + ": " + call + ": " + statusText(status);
    return false;
}

bool D2xxChannel::open() {
    close();
    error_.clear();
    const d2xx::Status status = lib_.Open(index_, &handle_);
    if (status != d2xx::kOk) {
        handle_ = nullptr;
        // The library opens a bridge for one program at a time and says no more than this.
        if (status == FT_DEVICE_NOT_OPENED)
            error_ = address() + " is in use by another program, or was unplugged";
        else if (status == FT_DEVICE_NOT_FOUND)
            error_ = address() + " is not connected";
        else
            check("FT_Open", status);
        return false;
    }
    readTimeoutSet_ = -1;
    pending_.clear();
    if (!check("FT_Purge", lib_.Purge(handle_, d2xx::kPurgeRx | d2xx::kPurgeTx)) ||
        !applySettings(LineSettings{})) {
        close();
        return false;
    }
    return true;
}

void D2xxChannel::close() {
    if (handle_) lib_.Close(handle_);
    handle_ = nullptr;
    pending_.clear();
}

bool D2xxChannel::applySettings(const LineSettings& s) {
    if (!handle_) return false;
    const auto bits = static_cast<unsigned char>(s.dataBits == 7 ? FT_BITS_7 : FT_BITS_8);
    const auto stop = s.stopBits == 2 ? FT_STOP_BITS_2 : FT_STOP_BITS_1;
    const auto parity = s.parity == Parity::None  ? FT_PARITY_NONE
                        : s.parity == Parity::Odd ? FT_PARITY_ODD
                                                  : FT_PARITY_EVEN;
    return check("FT_SetBaudRate", lib_.SetBaudRate(handle_, static_cast<unsigned long>(s.baud))) &&
           check("FT_SetDataCharacteristics", lib_.SetDataCharacteristics(handle_, bits, stop, parity)) &&
           check("FT_SetFlowControl",
                 lib_.SetFlowControl(handle_, s.flowControl ? FT_FLOW_RTS_CTS : FT_FLOW_NONE, 0x11, 0x13));
}

bool D2xxChannel::setDtr(bool on) {
    return handle_ && check(on ? "FT_SetDtr" : "FT_ClrDtr", on ? lib_.SetDtr(handle_) : lib_.ClrDtr(handle_));
}

bool D2xxChannel::setRts(bool on) {
    return handle_ && check(on ? "FT_SetRts" : "FT_ClrRts", on ? lib_.SetRts(handle_) : lib_.ClrRts(handle_));
}

bool D2xxChannel::requestLowLatency() {
    return handle_ && check("FT_SetLatencyTimer", lib_.SetLatencyTimer(handle_, 2));
}

void D2xxChannel::setWriteTimeout(Millis t) {
    writeTimeout_ = t;
    readTimeoutSet_ = -1;
}

bool D2xxChannel::setTimeouts(Millis read) {
    const long long ms = clampedMs(read);
    if (ms == readTimeoutSet_) return true;
    if (!check("FT_SetTimeouts",
               lib_.SetTimeouts(handle_, static_cast<unsigned long>(ms), clampedMs(writeTimeout_))))
        return false;
    readTimeoutSet_ = ms;
    return true;
}

std::size_t D2xxChannel::write(std::span<const std::uint8_t> bytes) {
    if (!handle_ || !setTimeouts(Millis(readTimeoutSet_ > 0 ? readTimeoutSet_ : 1000))) return 0;
    unsigned long written = 0;
    // The library takes a non-const buffer but only reads it.
    auto* data = const_cast<std::uint8_t*>(bytes.data());
    if (!check("FT_Write", lib_.Write(handle_, data, static_cast<unsigned long>(bytes.size()), &written))) {
        close();
        return 0;
    }
    if (written < bytes.size()) error_ = address() + ": FT_Write: timed out";
    return written;
}

bool D2xxChannel::waitForData(Millis timeout) {
    if (!pending_.empty()) return true;
    if (!handle_) return false;
    unsigned long queued = 0;
    if (!check("FT_GetQueueStatus", lib_.GetQueueStatus(handle_, &queued))) {
        close();
        return false;
    }
    // Bytes already there are read at once; otherwise the first to come, within the time-out
    // (a time-out of 0 would mean none to the library).
    if (queued == 0 && (timeout.count() <= 0 || !setTimeouts(timeout))) return false;
    const unsigned long want = std::clamp<unsigned long>(queued, 1, 4096);
    pending_.resize(want);
    unsigned long got = 0;
    const d2xx::Status status = lib_.Read(handle_, pending_.data(), want, &got);
    pending_.resize(status == d2xx::kOk ? got : 0);
    if (!check("FT_Read", status)) {
        close();
        return false;
    }
    return got > 0;
}

std::size_t D2xxChannel::read(std::span<std::uint8_t> out, Millis timeout) {
    if (!handle_ || out.empty()) return 0;
    if (!waitForData(timeout)) return 0;
    const std::size_t n = std::min(out.size(), pending_.size());
    std::copy_n(pending_.begin(), n, out.begin());
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(n));
    return n;
}

} // namespace vela
