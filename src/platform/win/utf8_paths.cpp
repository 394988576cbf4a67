#include "platform/utf8_paths.h"

#include <windows.h>

namespace vela::platform {

std::filesystem::path pathFromUtf8(std::string_view name) {
    const int size = static_cast<int>(name.size());
    const int n = MultiByteToWideChar(CP_UTF8, 0, name.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, name.data(), size, wide.data(), n);
    return std::filesystem::path(std::move(wide));
}

std::string utf8FromPath(const std::filesystem::path& path) {
    const std::wstring& wide = path.native();
    const int size = static_cast<int>(wide.size());
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, text.data(), n, nullptr, nullptr);
    return text;
}

}  // namespace vela::platform
