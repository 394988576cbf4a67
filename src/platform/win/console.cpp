#include "platform/console.h"

#include <io.h>
#include <windows.h>

namespace vela::platform {
namespace {

// The console behind `fd`, or null: _isatty alone also says yes for the null device, and
// no for a terminal emulator that is a pipe underneath.
HANDLE consoleOf(int fd) {
    if (!::_isatty(fd)) return nullptr;
    const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) ? handle : nullptr;
}

}  // namespace

bool interactiveConsole() { return consoleOf(_fileno(stdin)) && consoleOf(_fileno(stderr)); }

int consoleColumns(std::FILE* stream) {
    const HANDLE console = consoleOf(_fileno(stream));
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!console || !GetConsoleScreenBufferInfo(console, &info)) return 0;
    return info.srWindow.Right - info.srWindow.Left + 1;
}

bool enableCursorControl(std::FILE* stream) {
    const HANDLE console = consoleOf(_fileno(stream));
    DWORD mode = 0;
    if (!console || !GetConsoleMode(console, &mode)) return false;
    return (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) ||
           SetConsoleMode(console, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING | ENABLE_PROCESSED_OUTPUT);
}

void useUtf8Console() {
    SetConsoleOutputCP(CP_UTF8);
    SetConsoleCP(CP_UTF8);
}

}  // namespace vela::platform
