#include "sim/sim_trace.h"

namespace vela::sim {

std::string hexBytes(const std::vector<std::uint8_t>& bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 3);
    for (const std::uint8_t b : bytes) {
        if (!out.empty()) out += ' ';
        out += kDigits[b >> 4];
        out += kDigits[b & 0x0F];
    }
    return out;
}

std::string traceLine(const SimRecord& r, long sequence) {
    // Every value is a number or a plain word or hex text: nothing needs escaping.
    std::string line = "{\"sequence\":" + std::to_string(sequence) + ",\"kind\":\"" + r.kind + "\"";
    if (r.command >= 0) line += ",\"command\":" + std::to_string(r.command);
    if (r.program >= 0) line += ",\"program\":" + std::to_string(r.program);
    line += ",\"outcome\":\"" + r.outcome + "\"";
    line += ",\"host\":\"" + hexBytes(r.host) + "\",\"unit\":\"" + hexBytes(r.unit) + "\"}";
    return line;
}

TraceFile::TraceFile(const std::filesystem::path& path) {
    if (path.empty()) return;
    out_.open(path, std::ios::trunc);
    failed_ = !out_;
}

void TraceFile::append(const SimRecord& record) {
    std::lock_guard lock(mutex_);
    if (!out_.is_open()) return;
    out_ << traceLine(record, ++sequence_) << '\n';
    out_.flush();
}

}  // namespace vela::sim
