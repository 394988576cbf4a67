#include "platform/console.h"

#include <sys/ioctl.h>
#include <unistd.h>

namespace vela::platform {

bool interactiveConsole() { return ::isatty(STDIN_FILENO) && ::isatty(STDERR_FILENO); }

int consoleColumns(std::FILE* stream) {
    winsize ws{};
    return ::ioctl(::fileno(stream), TIOCGWINSZ, &ws) == 0 ? ws.ws_col : 0;
}

bool enableCursorControl(std::FILE* stream) { return ::isatty(::fileno(stream)); }

void useUtf8Console() {}

}  // namespace vela::platform
