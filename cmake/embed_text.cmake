# Turns a text file into a C++ source that returns it as a string_view, so the program
# carries the text without reading it at run time.
#   cmake -DIN=file -DOUT=file.cpp -DFUNCTION=name -P embed_text.cmake
file(READ "${IN}" hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x..,){24})" "\\1\n" bytes "${bytes}")
file(WRITE "${OUT}.tmp"
"// Generated from ${IN}; edit that file instead.\n"
"#include <string_view>\n\n"
"namespace vela {\n"
"namespace {\n"
"// A closing zero keeps the array non-empty for an empty file.\n"
"const unsigned char kText[] = {\n${bytes}0x00};\n"
"}  // namespace\n\n"
"std::string_view ${FUNCTION}() {\n"
"    return std::string_view(reinterpret_cast<const char*>(kText), sizeof kText - 1);\n"
"}\n\n"
"}  // namespace vela\n")
file(RENAME "${OUT}.tmp" "${OUT}")
