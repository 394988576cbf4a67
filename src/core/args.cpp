#include "core/args.h"

#include <charconv>
#include <stdexcept>

namespace vela {
namespace {

// Options that never take a value: "--sim probe" is a switch and a command.
const std::set<std::string> kSwitches = {
    "json", "yes", "quiet", "verbose", "help", "version", "response", "compressor", "bypass", "peak",
    "verify", "repeat", "empty", "pty", "download", "sim", "offline", "force", "service",
    "backup", "keys", "magnitude-only",
};
// Options whose value may be left out: they take the next word only when it names a device,
// so that "--usb probe" still means the first bridge and the command probe.
const std::set<std::string> kOptionalValues = {"usb", "serial"};

bool namesDevice(const std::string& word) {
    return word.find('/') != std::string::npos || word.rfind("tty", 0) == 0 || word.rfind("COM", 0) == 0;
}

}  // namespace

Args Args::parse(int argc, char** argv) {
    std::vector<std::string> words;
    for (int i = 1; i < argc; ++i) words.emplace_back(argv[i]);
    return parse(words);
}

Args Args::parse(const std::vector<std::string>& words) {
    Args args;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& w = words[i];
        if (!optionsEnded && w == "-h") {
            args.options_.emplace("help", "");
            continue;
        }
        if (optionsEnded || w.size() < 3 || w.compare(0, 2, "--") != 0) {
            if (w == "--") {
                optionsEnded = true;
                continue;
            }
            args.positional.push_back(w);
            continue;
        }
        const auto eq = w.find('=');
        std::string name = w.substr(2, eq == std::string::npos ? std::string::npos : eq - 2);
        if (eq != std::string::npos) {
            args.options_.emplace(name, w.substr(eq + 1));
        } else if (kSwitches.count(name)) {
            args.options_.emplace(name, "");
        } else if (kOptionalValues.count(name)) {
            const bool next = i + 1 < words.size() && namesDevice(words[i + 1]);
            args.options_.emplace(name, next ? words[++i] : std::string());
        } else if (i + 1 < words.size()) {
            args.options_.emplace(name, words[++i]);
        } else {
            args.options_.emplace(name, "");
            args.missing_ = "--" + name;
        }
    }
    return args;
}

bool Args::has(const std::string& name) const { return options_.count(name) > 0; }

std::optional<std::string> Args::value(const std::string& name) const {
    const auto it = options_.find(name);
    if (it == options_.end()) return std::nullopt;
    return it->second;
}

std::string Args::value(const std::string& name, const std::string& fallback) const {
    return value(name).value_or(fallback);
}

std::vector<std::string> Args::values(const std::string& name) const {
    std::vector<std::string> out;
    const auto [first, last] = options_.equal_range(name);
    for (auto it = first; it != last; ++it) out.push_back(it->second);
    return out;
}

std::optional<double> Args::number(const std::string& name) const {
    const auto v = value(name);
    if (!v) return std::nullopt;
    return parseNumber(*v, "--" + name);
}

std::optional<long> Args::integer(const std::string& name) const {
    const auto v = value(name);
    if (!v) return std::nullopt;
    return parseInteger(*v, "--" + name);
}

std::vector<std::string> Args::unknown(const std::set<std::string>& known) const {
    std::vector<std::string> out;
    for (const auto& [name, v] : options_)
        if (!known.count(name)) out.push_back("--" + name);
    return out;
}

long parseInteger(const std::string& text, const std::string& what) {
    long v = 0;
    const char* end = text.data() + text.size();
    const auto [p, ec] = std::from_chars(text.data(), end, v);
    if (text.empty() || ec != std::errc() || p != end) throw std::invalid_argument(what + ": not a whole number: " + text);
    return v;
}

double parseNumber(const std::string& text, const std::string& what) {
    double v = 0;
    const char* end = text.data() + text.size();
    // from_chars ignores the locale: "." is the decimal separator whatever the user's settings.
    const auto [p, ec] = std::from_chars(text.data(), end, v);
    if (text.empty() || ec != std::errc() || p != end) throw std::invalid_argument(what + ": not a number: " + text);
    return v;
}

}  // namespace vela
