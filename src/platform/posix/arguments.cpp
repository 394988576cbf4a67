#include "platform/arguments.h"

namespace vela::platform {

Utf8Arguments::Utf8Arguments(int argc, char** argv) : words_(argv, argv + argc) {
    for (std::string& w : words_) pointers_.push_back(w.data());
    pointers_.push_back(nullptr);
}

}  // namespace vela::platform
