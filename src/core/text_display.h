#pragma once
// Names that come from a unit or a file (program names, library entries, module names) are
// 8-bit text in the unit's code page, Windows-1252. Before they reach a terminal, a JSON
// document or a window they become UTF-8 in which every control byte shows as "\xHH", so a
// stray escape sequence cannot reach the terminal and the output stays valid UTF-8.

#include <string>
#include <string_view>

namespace vela {

// Decodes Windows-1252 bytes; 0x00-0x1F, 0x7F and the five unassigned bytes show as "\xHH".
std::string unitText(std::string_view bytes);
// The same for a fixed-size name field: trailing blanks and zero bytes are padding.
std::string unitName(std::string_view field);
// Text meant to be UTF-8 already (a file name, a host's answer): control characters and
// bytes that are not valid UTF-8 show as "\xHH".
std::string displayText(std::string_view text);

}  // namespace vela
