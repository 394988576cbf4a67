// A stand-in for the USB bridge maker's ftd2xx.dll, for tests: one bridge, listed while
// VELA_FTD2XX_DOUBLE names a TCP address (127.0.0.1:PORT) where a peer serves the unit's
// serial byte stream; opening the bridge connects there. The calls follow the library's:
// reads wait up to the read time-out for every byte asked for (0: without limit), a second
// open of an open bridge is refused.
// Windows Sockets before the rest of Windows.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <windows.h>

#include <cstdlib>
#include <cstring>

namespace {

using FT_STATUS = ULONG;
constexpr FT_STATUS kOk = 0, kInvalidHandle = 1, kNotFound = 2, kNotOpened = 3, kIoError = 4,
                    kInvalidParameter = 6;

struct Bridge {
    SOCKET socket = INVALID_SOCKET;
    ULONG readMs = 0;
};

Bridge* openBridge = nullptr;
UCHAR latencyTimer = 16;

// "127.0.0.1:5000" from the environment; false when unset or malformed.
bool peerAddress(sockaddr_in& to) {
    char text[64];
    const DWORD n = GetEnvironmentVariableA("VELA_FTD2XX_DOUBLE", text, sizeof text);
    if (n == 0 || n >= sizeof text) return false;
    char* colon = std::strrchr(text, ':');
    if (!colon) return false;
    *colon = '\0';
    std::memset(&to, 0, sizeof to);
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<u_short>(std::atoi(colon + 1)));
    return inet_pton(AF_INET, text, &to.sin_addr) == 1;
}

Bridge* bridgeOf(void* handle) {
    return handle && handle == openBridge ? openBridge : nullptr;
}

ULONG pendingBytes(Bridge* b) {
    u_long n = 0;
    return ioctlsocket(b->socket, FIONREAD, &n) == 0 ? n : 0;
}

} // namespace

#define EXPORT extern "C" __declspec(dllexport) FT_STATUS WINAPI

EXPORT FT_CreateDeviceInfoList(DWORD* count) {
    if (!count) return kInvalidParameter;
    sockaddr_in to;
    *count = peerAddress(to) ? 1 : 0;
    return kOk;
}

EXPORT FT_Open(int index, void** handle) {
    if (!handle) return kInvalidParameter;
    sockaddr_in to;
    if (index != 0 || !peerAddress(to)) return kNotFound;
    if (openBridge) return kNotOpened;
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return kNotOpened;
    const SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) return kNotOpened;
    if (connect(s, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
        closesocket(s);
        return kNotOpened;
    }
    BOOL on = TRUE;
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
    openBridge = new Bridge{s, 0};
    *handle = openBridge;
    return kOk;
}

EXPORT FT_Close(void* handle) {
    Bridge* b = bridgeOf(handle);
    if (!b) return kInvalidHandle;
    closesocket(b->socket);
    delete b;
    openBridge = nullptr;
    return kOk;
}

EXPORT FT_Read(void* handle, void* buffer, DWORD n, DWORD* received) {
    Bridge* b = bridgeOf(handle);
    if (!b) return kInvalidHandle;
    if (!buffer || !received) return kInvalidParameter;
    *received = 0;
    const ULONGLONG deadline = GetTickCount64() + b->readMs;
    while (*received < n) {
        const ULONGLONG now = GetTickCount64();
        if (b->readMs && now >= deadline) break;
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(b->socket, &readable);
        const ULONGLONG left = deadline - now;
        timeval wait{static_cast<long>(left / 1000), static_cast<long>(left % 1000 * 1000)};
        const int ready = select(0, &readable, nullptr, nullptr, b->readMs ? &wait : nullptr);
        if (ready < 0) return kIoError;
        if (ready == 0) continue;
        const int got =
            recv(b->socket, static_cast<char*>(buffer) + *received, static_cast<int>(n - *received), 0);
        if (got <= 0) return kIoError; // the peer went away: the bridge was unplugged
        *received += static_cast<DWORD>(got);
    }
    return kOk;
}

EXPORT FT_Write(void* handle, void* buffer, DWORD n, DWORD* written) {
    Bridge* b = bridgeOf(handle);
    if (!b) return kInvalidHandle;
    if (!buffer || !written) return kInvalidParameter;
    *written = 0;
    while (*written < n) {
        const int sent =
            send(b->socket, static_cast<const char*>(buffer) + *written, static_cast<int>(n - *written), 0);
        if (sent <= 0) return kIoError;
        *written += static_cast<DWORD>(sent);
    }
    return kOk;
}

EXPORT FT_GetQueueStatus(void* handle, DWORD* pending) {
    Bridge* b = bridgeOf(handle);
    if (!b) return kInvalidHandle;
    if (!pending) return kInvalidParameter;
    *pending = pendingBytes(b);
    return kOk;
}

EXPORT FT_Purge(void* handle, ULONG mask) {
    Bridge* b = bridgeOf(handle);
    if (!b) return kInvalidHandle;
    char scrap[512];
    if (mask & 1)
        for (ULONG n; (n = pendingBytes(b)) > 0;)
            if (recv(b->socket, scrap, static_cast<int>(n < sizeof scrap ? n : sizeof scrap), 0) <= 0) break;
    return kOk;
}

EXPORT FT_SetTimeouts(void* handle, ULONG readMs, ULONG) {
    Bridge* b = bridgeOf(handle);
    if (!b) return kInvalidHandle;
    b->readMs = readMs;
    return kOk;
}

EXPORT FT_SetLatencyTimer(void* handle, UCHAR ms) {
    if (!bridgeOf(handle)) return kInvalidHandle;
    if (ms < 2) return kInvalidParameter; // as the bridge: 2 to 255 ms
    latencyTimer = ms;
    return kOk;
}

// The line itself is the peer's concern: these only check the handle.
EXPORT FT_SetBaudRate(void* handle, ULONG) {
    return bridgeOf(handle) ? kOk : kInvalidHandle;
}
EXPORT FT_SetDataCharacteristics(void* handle, UCHAR, UCHAR, UCHAR) {
    return bridgeOf(handle) ? kOk : kInvalidHandle;
}
EXPORT FT_SetFlowControl(void* handle, USHORT, UCHAR, UCHAR) {
    return bridgeOf(handle) ? kOk : kInvalidHandle;
}
EXPORT FT_SetDtr(void* handle) {
    return bridgeOf(handle) ? kOk : kInvalidHandle;
}
EXPORT FT_ClrDtr(void* handle) {
    return bridgeOf(handle) ? kOk : kInvalidHandle;
}
EXPORT FT_SetRts(void* handle) {
    return bridgeOf(handle) ? kOk : kInvalidHandle;
}
EXPORT FT_ClrRts(void* handle) {
    return bridgeOf(handle) ? kOk : kInvalidHandle;
}

// For tests only, no call of the real library: the latency timer last set.
extern "C" __declspec(dllexport) UCHAR WINAPI VelaDoubleLatencyTimer() {
    return latencyTimer;
}
