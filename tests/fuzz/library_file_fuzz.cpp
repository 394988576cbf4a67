// Fuzzes the library file: the entry walk over a whole 57121-byte buffer, then what a load-all
// run does with each entry (its name, and the copy into the program image).
#include "library/library_file.h"

#include <algorithm>
#include <memory>

using namespace vela;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // On the heap, so that the address sanitizer sees a copy run past either buffer.
    auto buffer = std::make_unique<LibraryBuffer>();
    buffer->fill(0);
    std::copy_n(data, std::min(size, buffer->size()), buffer->begin());
    const auto entries = libraryEntries(*buffer);
    if (!entries) return 0;
    auto image = std::make_unique<ProgramImage>();
    for (const auto& e : *entries) {
        if (e.name.size() > 40) std::abort();
        copyLibraryEntry(*buffer, e, *image);
    }
    return 0;
}
