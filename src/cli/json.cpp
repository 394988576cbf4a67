#include "cli/json.h"

#include <charconv>
#include <cmath>
#include <iterator>

namespace vela::cli {

std::string formatDouble(double d) {
    if (!std::isfinite(d)) return "null";
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, d, std::chars_format::general, 17);
    return std::string(buf, r.ptr);
}

std::string jsonEscape(std::string_view s) {
    std::string out;
    for (const char c : s) {
        const auto u = static_cast<unsigned char>(c);
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (u < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", u);
                out += buf;
            } else {
                out += c;
            }
        }
    }
    return out;
}

void JsonWriter::raw(std::string_view s) { out_.write(s); }

void JsonWriter::separate() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (!first_.empty()) {
        if (!first_.back()) raw(",");
        first_.back() = false;
    }
}

void JsonWriter::beginObject() {
    separate();
    raw("{");
    first_.push_back(true);
}

void JsonWriter::endObject() {
    first_.pop_back();
    raw("}");
}

void JsonWriter::beginArray() {
    separate();
    raw("[");
    first_.push_back(true);
}

void JsonWriter::endArray() {
    first_.pop_back();
    raw("]");
}

// The quotes are written apart from the text: GCC 12 at -O3 takes "\"" + std::string for
// overlapping copies (a false -Wrestrict).
void JsonWriter::key(std::string_view k) {
    separate();
    raw("\"");
    raw(jsonEscape(k));
    raw("\":");
    afterKey_ = true;
}

void JsonWriter::value(std::string_view s) {
    separate();
    raw("\"");
    raw(jsonEscape(s));
    raw("\"");
}

void JsonWriter::value(double d) {
    separate();
    raw(formatDouble(d));
}

void JsonWriter::value(std::int64_t i) {
    separate();
    raw(std::to_string(i));
}

void JsonWriter::value(bool b) {
    separate();
    raw(b ? "true" : "false");
}

void JsonWriter::null() {
    separate();
    raw("null");
}

void writeJsonError(CountedOutput& out, const std::string& text, int exitCode) {
    static const char* kMeaning[] = {"", "the unit, the link or the network failed", "usage error",
                                     "an input file could not be read or is not of its kind",
                                     "the question was declined"};
    JsonWriter j(out);
    j.beginObject();
    const bool known = exitCode >= 0 && exitCode < static_cast<int>(std::size(kMeaning));
    j.field("error", !text.empty() ? text : known ? std::string(kMeaning[exitCode]) : "failed");
    j.field("exitCode", exitCode);
    j.endObject();
    j.finish();
}

void JsonWriter::finish() {
    raw("\n");
    out_.flush();
}

}  // namespace vela::cli
