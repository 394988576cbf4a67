#include "link/win/com_port.h"

#include "link/port_discovery.h"
#include "link/win/system_text.h"
#include "platform/utf8_paths.h"

#include <windows.h>

#include <algorithm>
#include <string_view>

namespace vela {
namespace {

constexpr std::string_view kDeviceNamespace = "\\\\.\\";

// COM10 and above are reachable only through the device namespace; COM1..COM9 are too.
std::wstring devicePath(const std::string& name) {
    return platform::pathFromUtf8(std::string(kDeviceNamespace) + name).native();
}

HANDLE handleOf(void* h) {
    return static_cast<HANDLE>(h);
}

DWORD clampedMs(Millis t) {
    return static_cast<DWORD>(std::clamp<long long>(t.count(), 0, MAXDWORD - 1));
}

} // namespace

std::string comPortOpenFailure(const std::string& name, unsigned long code) {
    // Windows refuses a port another program holds with "access denied": that is no question
    // of rights, as it would be on Linux.
    if (code == ERROR_ACCESS_DENIED || code == ERROR_SHARING_VIOLATION || code == ERROR_BUSY)
        return name + " is in use by another program";
    if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND)
        return name + " does not exist on this computer";
    return name + ": " + systemText(code);
}

ComPort::ComPort(std::string name) : name_(portName(name)) {}

void ComPort::fail(const std::string& what, unsigned long code) {
    error_ = what + ": " + systemText(code);
}

void ComPort::lost(unsigned long code) {
    fail(name_ + ": the port is gone", code);
    close();
}

bool ComPort::open() {
    close();
    error_.clear();
    // No sharing: the port is ours alone until closed.
    HANDLE h = CreateFileW(devicePath(name_).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        error_ = comPortOpenFailure(name_, GetLastError());
        return false;
    }
    handle_ = h;
    readTimeoutSet_ = kUnset;
    pending_.clear();
    SetupComm(h, 4096, 4096);
    // Raw bytes at 57600 8N1 until told otherwise, and nothing left over from an earlier user.
    if (!applySettings(LineSettings{})) {
        close();
        return false;
    }
    PurgeComm(h, PURGE_RXCLEAR | PURGE_TXCLEAR | PURGE_RXABORT | PURGE_TXABORT);
    return true;
}

void ComPort::close() {
    if (handle_) CloseHandle(handleOf(handle_));
    handle_ = nullptr;
    pending_.clear();
}

bool ComPort::applySettings(const LineSettings& s) {
    if (!handle_) return false;
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(handleOf(handle_), &dcb)) {
        fail(name_, GetLastError());
        return false;
    }
    dcb.BaudRate = static_cast<DWORD>(s.baud);
    dcb.ByteSize = static_cast<BYTE>(s.dataBits);
    dcb.StopBits = s.stopBits == 2 ? TWOSTOPBITS : ONESTOPBIT;
    dcb.Parity = s.parity == Parity::None ? NOPARITY : s.parity == Parity::Odd ? ODDPARITY : EVENPARITY;
    dcb.fBinary = TRUE;
    dcb.fParity = s.parity != Parity::None;
    // As the tty is set: RTS/CTS when asked for, never XON/XOFF, no byte dropped or replaced.
    dcb.fOutxCtsFlow = s.flowControl;
    dcb.fRtsControl = s.flowControl ? RTS_CONTROL_HANDSHAKE : rts_ ? RTS_CONTROL_ENABLE : RTS_CONTROL_DISABLE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fDtrControl = dtr_ ? DTR_CONTROL_ENABLE : DTR_CONTROL_DISABLE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    dcb.fAbortOnError = FALSE;
    if (!SetCommState(handleOf(handle_), &dcb)) {
        fail(name_ + ": line settings", GetLastError());
        return false;
    }
    flowControl_ = s.flowControl;
    readTimeoutSet_ = kUnset;
    return true;
}

bool ComPort::setTimeouts(long long readMs) {
    if (readMs == readTimeoutSet_) return true;
    // A wait somewhat shorter than asked serves as well, since every caller reads again until
    // its own deadline: keeping the driver's time-out spares a call to it on nearly every wait.
    if (readMs > 0 && readTimeoutSet_ > 0 && readTimeoutSet_ <= readMs &&
        readTimeoutSet_ >= readMs - readMs / 8)
        return true;
    if (readMs > 0) readMs -= readMs / 16;
    COMMTIMEOUTS t{};
    if (readMs < 0) {
        // A read returns at once with what the driver holds.
        t.ReadIntervalTimeout = MAXDWORD;
    } else {
        // A read of n bytes returns with them, or with fewer once readMs have passed.
        t.ReadTotalTimeoutConstant = static_cast<DWORD>(readMs);
    }
    t.WriteTotalTimeoutConstant = clampedMs(writeTimeout_);
    if (!SetCommTimeouts(handleOf(handle_), &t)) {
        fail(name_ + ": time-outs", GetLastError());
        return false;
    }
    readTimeoutSet_ = readMs;
    return true;
}

void ComPort::setWriteTimeout(Millis t) {
    // The bridge's time-outs are set again before every answer: only a change reaches the driver.
    if (t == writeTimeout_) return;
    writeTimeout_ = t;
    readTimeoutSet_ = kUnset;
}

bool ComPort::setModemLine(bool dtr, bool on) {
    if (!handle_) return false;
    (dtr ? dtr_ : rts_) = on;
    // Under RTS/CTS flow control the driver owns RTS.
    if (!dtr && flowControl_) return true;
    if (EscapeCommFunction(handleOf(handle_), dtr ? (on ? SETDTR : CLRDTR) : (on ? SETRTS : CLRRTS)))
        return true;
    const DWORD code = GetLastError();
    // A port without modem lines (a pseudo-terminal behind an emulated port) is no error for us.
    if (code == ERROR_NOT_SUPPORTED || code == ERROR_INVALID_PARAMETER || code == ERROR_INVALID_FUNCTION)
        return true;
    fail(name_ + ": modem line", code);
    return false;
}

bool ComPort::setDtr(bool on) {
    return setModemLine(true, on);
}
bool ComPort::setRts(bool on) {
    return setModemLine(false, on);
}

std::size_t ComPort::write(std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    if (!handle_ || !setTimeouts(heldReadTimeout())) return 0;
    while (handle_ && done < bytes.size()) {
        DWORD n = 0;
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 65536));
        if (!WriteFile(handleOf(handle_), bytes.data() + done, chunk, &n, nullptr)) {
            lost(GetLastError());
            break;
        }
        if (n == 0) {
            // The write time-out passed with nothing taken.
            fail(name_ + ": write", ERROR_TIMEOUT);
            break;
        }
        done += n;
    }
    return done;
}

bool ComPort::readPending(std::size_t n, long long readMs) {
    if (!setTimeouts(readMs)) return false;
    const std::size_t had = pending_.size();
    pending_.resize(had + n);
    DWORD got = 0;
    const bool ok = ReadFile(handleOf(handle_), pending_.data() + had, static_cast<DWORD>(n), &got, nullptr);
    pending_.resize(had + (ok ? got : 0));
    if (!ok) lost(GetLastError());
    return ok;
}

bool ComPort::waitForData(Millis timeout) {
    if (!pending_.empty()) return true;
    if (!handle_) return false;
    // The first byte to come, through a one-byte read that the driver ends at the time-out;
    // then whatever came with it, which a read of exactly that many takes at once under any
    // time-out. Both are plain reads: no wait for comm events.
    if (queued() == 0 && (timeout.count() <= 0 || !readPending(1, clampedMs(timeout)) || pending_.empty()))
        return false;
    if (const std::size_t more = std::min<std::size_t>(queued(), 4096); more > 0)
        readPending(more, heldReadTimeout());
    return !pending_.empty();
}

std::size_t ComPort::queued() {
    DWORD errors = 0;
    COMSTAT status{};
    return handle_ && ClearCommError(handleOf(handle_), &errors, &status) ? status.cbInQue : 0;
}

std::size_t ComPort::read(std::span<std::uint8_t> out, Millis timeout) {
    if (!handle_ || out.empty()) return 0;
    if (!waitForData(timeout)) return 0;
    const std::size_t n = std::min(out.size(), pending_.size());
    std::copy_n(pending_.begin(), n, out.begin());
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(n));
    return n;
}

} // namespace vela
