#pragma once
// Whether a Windows test program runs under Wine rather than on Windows.

#ifdef _WIN32
#include <windows.h>
#endif

namespace vela::test {

// Wine sends every UDP datagram on loopback from 127.0.0.1, whatever address its socket is
// bound to: a simulated rig's modules cannot be told apart there, as they can on Windows.
inline bool underWine() {
#ifdef _WIN32
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
#else
    return false;
#endif
}

}  // namespace vela::test
