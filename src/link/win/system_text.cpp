#include "link/win/system_text.h"

#include "platform/utf8_paths.h"

#include <windows.h>

namespace vela {

std::string systemText(unsigned long code) {
    wchar_t* buffer = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring w = n && buffer ? std::wstring(buffer, n) : L"error " + std::to_wstring(code);
    LocalFree(buffer);
    while (!w.empty() && (w.back() == L'\n' || w.back() == L'\r' || w.back() == L'.'))
        w.pop_back();
    return platform::utf8FromPath(std::filesystem::path(std::move(w)));
}

} // namespace vela
