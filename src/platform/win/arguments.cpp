#include "platform/arguments.h"

#include "platform/utf8_paths.h"

#include <windows.h>
#include <shellapi.h>

namespace vela::platform {

Utf8Arguments::Utf8Arguments(int argc, char** argv) {
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide) {
        for (int i = 0; i < count; ++i) words_.push_back(utf8FromPath(std::filesystem::path(wide[i])));
        LocalFree(wide);
    } else {
        words_.assign(argv, argv + argc);
    }
    for (std::string& w : words_) pointers_.push_back(w.data());
    pointers_.push_back(nullptr);
}

}  // namespace vela::platform
