#pragma once
// The console the command line talks to: whether a person is at it, its width, redraws in
// place and UTF-8 text.

#include <cstdio>

namespace vela::platform {

// Standard input and standard error are both a console a person types at (not a file, a
// pipe or the null device).
bool interactiveConsole();
// The columns of the console `stream` writes to; 0 when it is none or does not say.
int consoleColumns(std::FILE* stream);
// Makes the console of `stream` take cursor movements (ANSI escape sequences); false when it
// cannot, and the caller writes plain lines instead.
bool enableCursorControl(std::FILE* stream);
// The console shows the UTF-8 text the program writes as such (on Windows its code page is
// otherwise a legacy one); call it once at the start.
void useUtf8Console();

}  // namespace vela::platform
