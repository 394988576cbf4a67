#pragma once
// A small streaming JSON writer for --json output. Numbers use "." whatever the locale and
// doubles carry 17 significant digits so that they read back exactly.

#include "cli/counted_output.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vela::cli {

class JsonWriter {
public:
    explicit JsonWriter(CountedOutput& out) : out_(out) {}

    void beginObject();
    void endObject();
    void beginArray();
    void endArray();
    // Within an object, the key of the next value.
    void key(std::string_view k);

    void value(std::string_view s);
    void value(const char* s) { value(std::string_view(s)); }
    void value(double d);
    void value(std::int64_t i);
    void value(int i) { value(static_cast<std::int64_t>(i)); }
    void value(unsigned i) { value(static_cast<std::int64_t>(i)); }
    void value(std::uint16_t i) { value(static_cast<std::int64_t>(i)); }
    void value(bool b);
    void null();

    template <class T>
    void field(std::string_view k, const T& v) {
        key(k);
        value(v);
    }
    template <class T>
    void array(std::string_view k, const std::vector<T>& values) {
        key(k);
        beginArray();
        for (const auto& v : values) value(v);
        endArray();
    }
    // Ends the document with a newline.
    void finish();

private:
    void separate();
    void raw(std::string_view s);

    CountedOutput& out_;
    std::vector<bool> first_;  // per open container: nothing written yet
    bool afterKey_ = false;
};

// {"error": TEXT, "exitCode": CODE}: what a failed command prints with --json. An empty text
// gives the meaning of the exit code.
void writeJsonError(CountedOutput& out, const std::string& text, int exitCode);

// Formats a double with 17 significant digits, "." as separator; non-finite as null.
std::string formatDouble(double d);
std::string jsonEscape(std::string_view s);

}  // namespace vela::cli
