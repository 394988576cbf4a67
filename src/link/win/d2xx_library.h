#pragma once
// The bridge maker's D2XX library (ftd2xx.dll), when installed: loaded at run time, the calls
// we use declared here as the library exports them.

#include <cstdint>

namespace vela::d2xx {

using Status = unsigned long; // FT_STATUS
using Handle = void*;         // FT_HANDLE

inline constexpr Status kOk = 0;
inline constexpr unsigned long kPurgeRx = 1;
inline constexpr unsigned long kPurgeTx = 2;

#define VELA_D2XX_CALL __stdcall
struct Library {
    Status(VELA_D2XX_CALL* CreateDeviceInfoList)(unsigned long* count);
    Status(VELA_D2XX_CALL* Open)(int index, Handle* handle);
    Status(VELA_D2XX_CALL* Close)(Handle);
    Status(VELA_D2XX_CALL* Read)(Handle, void* buffer, unsigned long n, unsigned long* received);
    Status(VELA_D2XX_CALL* Write)(Handle, void* buffer, unsigned long n, unsigned long* written);
    Status(VELA_D2XX_CALL* SetBaudRate)(Handle, unsigned long baud);
    Status(VELA_D2XX_CALL* SetDataCharacteristics)(Handle, unsigned char bits, unsigned char stop,
                                                   unsigned char parity);
    Status(VELA_D2XX_CALL* SetFlowControl)(Handle, unsigned short flow, unsigned char xon,
                                           unsigned char xoff);
    Status(VELA_D2XX_CALL* SetTimeouts)(Handle, unsigned long readMs, unsigned long writeMs);
    Status(VELA_D2XX_CALL* SetLatencyTimer)(Handle, unsigned char ms);
    Status(VELA_D2XX_CALL* GetQueueStatus)(Handle, unsigned long* pending);
    Status(VELA_D2XX_CALL* Purge)(Handle, unsigned long mask);
    Status(VELA_D2XX_CALL* SetDtr)(Handle);
    Status(VELA_D2XX_CALL* ClrDtr)(Handle);
    Status(VELA_D2XX_CALL* SetRts)(Handle);
    Status(VELA_D2XX_CALL* ClrRts)(Handle);
};
#undef VELA_D2XX_CALL

// The library, loaded on first use and kept; nullptr when it is not installed or lacks a call.
const Library* library();
// How many bridges the library lists; 0 without the library.
int bridgeCount();

} // namespace vela::d2xx
