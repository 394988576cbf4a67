#include "link/win/d2xx_library.h"

#include <windows.h>

namespace vela::d2xx {
namespace {

template <typename F> bool bind(HMODULE module, const char* name, F& f) {
    // Through void(*)(), which every function pointer type may be cast to and back.
    f = reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
    return f != nullptr;
}

const Library* load() {
    static Library lib{};
    // From the program's folder or the system's, where the maker's driver installs it.
    const HMODULE m = LoadLibraryW(L"ftd2xx.dll");
    if (!m) return nullptr;
    const bool all =
        bind(m, "FT_CreateDeviceInfoList", lib.CreateDeviceInfoList) && bind(m, "FT_Open", lib.Open) &&
        bind(m, "FT_Close", lib.Close) && bind(m, "FT_Read", lib.Read) && bind(m, "FT_Write", lib.Write) &&
        bind(m, "FT_SetBaudRate", lib.SetBaudRate) &&
        bind(m, "FT_SetDataCharacteristics", lib.SetDataCharacteristics) &&
        bind(m, "FT_SetFlowControl", lib.SetFlowControl) && bind(m, "FT_SetTimeouts", lib.SetTimeouts) &&
        bind(m, "FT_SetLatencyTimer", lib.SetLatencyTimer) &&
        bind(m, "FT_GetQueueStatus", lib.GetQueueStatus) && bind(m, "FT_Purge", lib.Purge) &&
        bind(m, "FT_SetDtr", lib.SetDtr) && bind(m, "FT_ClrDtr", lib.ClrDtr) &&
        bind(m, "FT_SetRts", lib.SetRts) && bind(m, "FT_ClrRts", lib.ClrRts);
    if (all) return &lib;
    FreeLibrary(m);
    return nullptr;
}

} // namespace

const Library* library() {
    static const Library* const loaded = load();
    return loaded;
}

int bridgeCount() {
    const Library* lib = library();
    unsigned long n = 0;
    if (!lib || lib->CreateDeviceInfoList(&n) != kOk) return 0;
    return static_cast<int>(n);
}

} // namespace vela::d2xx
