#pragma once
// Texts of the preset document are UTF-8 in memory; the preset file and the data image hold
// single-byte (Latin-1) characters.

#include <cstddef>
#include <string>
#include <string_view>

namespace vela {

std::string latin1ToUtf8(std::string_view bytes);
// Characters outside Latin-1 become "?".
std::string utf8ToLatin1(std::string_view text);
// Cuts UTF-8 text to at most `limit` characters.
std::string cutCharacters(std::string text, std::size_t limit);

}  // namespace vela
