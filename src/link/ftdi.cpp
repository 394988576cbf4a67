#include "link/ftdi.h"

namespace vela {

FT_STATUS FtdiDriver::FT_Open(int deviceIndex, FT_HANDLE* handle) {
    lastError_.clear();
    if (!handle) return FT_INVALID_PARAMETER;
    if (channel_) return FT_DEVICE_NOT_OPENED;  // one open handle at a time, as the bridge allows
    auto channel = locator_ ? locator_(deviceIndex) : nullptr;
    if (!channel) return FT_DEVICE_NOT_FOUND;
    if (!channel->open()) {
        lastError_ = channel->errorText();
        return FT_DEVICE_NOT_OPENED;
    }
    channel_ = std::move(channel);
    channel_->setWriteTimeout(writeTimeout_);
    channel_->requestLowLatency();
    applyLine();
    if (dtr_) channel_->setDtr(true);
    if (rts_) channel_->setRts(true);
    handle_ = nextHandle_++;
    *handle = handle_;
    return FT_OK;
}

FT_STATUS FtdiDriver::FT_Close(FT_HANDLE handle) {
    lastError_.clear();
    if (!valid(handle)) return FT_INVALID_HANDLE;
    channel_->close();
    channel_.reset();
    return FT_OK;
}

FT_STATUS FtdiDriver::FT_Read(FT_HANDLE handle, std::uint8_t* buffer, std::uint32_t n, std::uint32_t* received) {
    lastError_.clear();
    if (!valid(handle)) return FT_INVALID_HANDLE;
    if (!buffer || !received) return FT_INVALID_PARAMETER;
    *received = 0;
    const auto deadline = std::chrono::steady_clock::now() + readTimeout_;
    while (*received < n) {
        const auto left = std::chrono::duration_cast<Millis>(deadline - std::chrono::steady_clock::now());
        if (left.count() < 0) break;
        const std::size_t got = channel_->read(std::span(buffer + *received, n - *received), left);
        if (got == 0 && !channel_->isOpen()) {
            lastError_ = channel_->errorText();
            return FT_IO_ERROR;
        }
        *received += static_cast<std::uint32_t>(got);
        if (got == 0 && left.count() == 0) break;
    }
    return FT_OK;
}

FT_STATUS FtdiDriver::FT_Write(FT_HANDLE handle, const std::uint8_t* buffer, std::uint32_t n,
                               std::uint32_t* written) {
    lastError_.clear();
    if (!valid(handle)) return FT_INVALID_HANDLE;
    if (!buffer || !written) return FT_INVALID_PARAMETER;
    *written = static_cast<std::uint32_t>(channel_->write(std::span(buffer, n)));
    if (*written == n) return FT_OK;
    lastError_ = channel_->errorText();
    return FT_IO_ERROR;
}

FT_STATUS FtdiDriver::applyLine() {
    if (channel_->applySettings(line_)) return FT_OK;
    lastError_ = channel_->errorText();
    return FT_IO_ERROR;
}

FT_STATUS FtdiDriver::FT_SetBaudRate(FT_HANDLE handle, std::uint32_t baud) {
    lastError_.clear();
    if (!valid(handle)) return FT_INVALID_HANDLE;
    if (baud == 0) return FT_INVALID_PARAMETER;
    line_.baud = static_cast<int>(baud);
    return applyLine();
}

FT_STATUS FtdiDriver::FT_SetDataCharacteristics(FT_HANDLE handle, std::uint8_t wordLength,
                                                std::uint8_t stopBits, std::uint8_t parity) {
    lastError_.clear();
    if (!valid(handle)) return FT_INVALID_HANDLE;
    if ((wordLength != FT_BITS_7 && wordLength != FT_BITS_8) ||
        (stopBits != FT_STOP_BITS_1 && stopBits != FT_STOP_BITS_2) || parity > FT_PARITY_EVEN)
        return FT_INVALID_PARAMETER;
    line_.dataBits = wordLength;
    line_.stopBits = stopBits == FT_STOP_BITS_2 ? 2 : 1;
    line_.parity = parity == FT_PARITY_NONE ? Parity::None : parity == FT_PARITY_ODD ? Parity::Odd : Parity::Even;
    return applyLine();
}

FT_STATUS FtdiDriver::FT_SetFlowControl(FT_HANDLE handle, std::uint16_t flow, std::uint8_t, std::uint8_t) {
    lastError_.clear();
    if (!valid(handle)) return FT_INVALID_HANDLE;
    line_.flowControl = flow == FT_FLOW_RTS_CTS;
    return applyLine();
}

FT_STATUS FtdiDriver::FT_SetDtr(FT_HANDLE handle) {
    lastError_.clear();
    if (!valid(handle)) return FT_INVALID_HANDLE;
    dtr_ = true;
    return channel_->setDtr(true) ? FT_OK : FT_IO_ERROR;
}

FT_STATUS FtdiDriver::FT_SetRts(FT_HANDLE handle) {
    lastError_.clear();
    if (!valid(handle)) return FT_INVALID_HANDLE;
    rts_ = true;
    return channel_->setRts(true) ? FT_OK : FT_IO_ERROR;
}

FT_STATUS FtdiDriver::FT_SetChars(FT_HANDLE handle, std::uint8_t, std::uint8_t eventEnable, std::uint8_t,
                                  std::uint8_t errorEnable) {
    lastError_.clear();
    if (!valid(handle)) return FT_INVALID_HANDLE;
    // The kernel's driver has no event or error characters; disabling them is all we need.
    return (eventEnable || errorEnable) ? FT_INVALID_PARAMETER : FT_OK;
}

FT_STATUS FtdiDriver::FT_SetTimeouts(FT_HANDLE handle, std::uint32_t readMs, std::uint32_t writeMs) {
    lastError_.clear();
    if (!valid(handle)) return FT_INVALID_HANDLE;
    readTimeout_ = Millis(readMs);
    writeTimeout_ = Millis(writeMs);
    channel_->setWriteTimeout(writeTimeout_);
    return FT_OK;
}

}  // namespace vela
