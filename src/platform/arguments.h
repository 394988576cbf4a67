#pragma once
// The program's arguments as UTF-8, as every file name and text inside the program is.

#include <string>
#include <vector>

namespace vela::platform {

// Windows gives main() its arguments in the ANSI code page: they are taken from the wide command
// line instead. Elsewhere they are main()'s own.
class Utf8Arguments {
public:
    Utf8Arguments(int argc, char** argv);
    int argc() const { return static_cast<int>(words_.size()); }
    char** argv() { return pointers_.data(); }

private:
    std::vector<std::string> words_;
    std::vector<char*> pointers_;
};

}  // namespace vela::platform
