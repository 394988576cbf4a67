// preset set: edits parameters through their sources and procedures, then saves.
#include "core/args.h"
#include "core/exit_codes.h"
#include "cli/output_file.h"
#include "cli/preset_cli.h"
#include "cli/session_factory.h"
#include "dsp/number_text.h"
#include "preset/parameter_table.h"
#include "preset/preset_file.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <stdexcept>

namespace vela::cli {
namespace {

using dsp::plainText;

const Parameter& parameterNamed(const std::string& name) {
    if (const Parameter* p = findParameter(name)) return *p;
    throw std::invalid_argument("unknown parameter '" + name + "' (velaupdate preset --help lists them)");
}

// Ten significant digits: a stored 6.1 dB reads 6.1, not 6.100000000000001.
std::string shortText(double value) {
    char buf[32];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 10);
    return ec == std::errc() ? std::string(buf, end) : plainText(value);
}

// Says when the control limited a number to its range, as its field would show. The controls
// round to their steps (0.1 dB, 0.5 dB, whole Hz, whole positions); more than that is the range
// at work.
void reportLimit(PresetContext& c, const Parameter& p, const std::string& name, const std::string& value) {
    if (!p.number) return;
    const double stored = p.number(c.p, c.SampleRate);
    double requested = 0;
    try {
        requested = parseNumber(value, name);
    } catch (const std::invalid_argument&) {
        return;
    }
    const double difference = std::fabs(stored - requested);
    if (difference <= 0.5 || difference <= 0.01 * std::fabs(requested)) return;
    c.ui.warning(name + ": " + shortText(requested) + " was limited to " + shortText(stored));
}

// The key with its indexes named as the help names them: eq.N.B.gain, xover.N.EDGE.section.K.q.
std::string pattern(const std::string& key) {
    static const char* const kIndexNames[] = {"N", "B", "K"};
    std::string out;
    std::size_t start = 0, index = 0;
    for (int part = 0;; ++part) {
        const auto dot = key.find('.', start);
        std::string word = key.substr(start, dot == std::string::npos ? dot : dot - start);
        if (!word.empty() && std::isdigit(static_cast<unsigned char>(word[0])))
            word = kIndexNames[std::min<std::size_t>(index++, 2)];
        if (part == 2 && (word == "hp" || word == "lp")) {
            word = "EDGE";
            ++index;  // the section's index reads K
        }
        out += (part == 0 ? "" : ".") + word;
        if (dot == std::string::npos) return out;
        start = dot + 1;
    }
}

std::string describe(const Parameter& p) {
    switch (p.kind) {
    case ParameterKind::Number:
        return plainText(p.minimum) + ".." + plainText(p.maximum) + (p.unit.empty() ? "" : " " + p.unit) +
               " in steps of " + plainText(p.step);
    case ParameterKind::Switch: return "1|0";
    case ParameterKind::Choice: {
        std::string text;
        for (const auto& c : p.choices) text += (text.empty() ? "" : "|") + c;
        return text;
    }
    case ParameterKind::Text:
        return p.maximum > 0 ? "text of up to " + plainText(p.maximum) + " characters" : "text";
    }
    return {};
}

} // namespace

std::string presetSetNames() {
    std::string text;
    std::vector<std::string> seen;
    for (const Parameter& p : parameterTable()) {
        std::string name = pattern(p.key);
        if (std::find(seen.begin(), seen.end(), name) != seen.end()) continue;
        seen.push_back(name);
        name += "=";
        name.resize(std::max<std::size_t>(name.size() + 1, 26), ' ');
        text += "  " + name + describe(p) + "\n";
    }
    return text;
}

int runPresetSet(Context& ctx) {
    const std::string file = presetFileArgument(ctx, "velaupdate preset set FILE.hdp NAME=VALUE...");
    if (ctx.args.positional.size() < 3) throw std::invalid_argument("give at least one NAME=VALUE");
    std::vector<std::pair<std::string, std::string>> edits;
    for (std::size_t i = 2; i < ctx.args.positional.size(); ++i) {
        const std::string& word = ctx.args.positional[i];
        const auto eq = word.find('=');
        if (eq == std::string::npos || eq == 0) throw std::invalid_argument("not NAME=VALUE: " + word);
        edits.emplace_back(word.substr(0, eq), word.substr(eq + 1));
    }
    // The file edited in place is the point of the command; only another kind is refused.
    const std::string out = ctx.args.value("out", file);
    if (!outputAllowed(ctx, "preset set", out, FileKind::Preset)) return kExitBadInput;
    auto s = openSession(ctx);
    if (!loadPreset(*s, file)) return kExitBadInput;
    MessagesOnlyUi ui(ctx.ui);
    PresetContext c = presetContextOf(*s, &ui);
    for (const auto& [name, value] : edits) {
        const Parameter& p = parameterNamed(name);
        p.set(c, value);
        c.showNotices();
        reportLimit(c, p, name, value);
    }
    if (!savePresetFile(*s, out, &ui)) return kExitBadInput;
    return kExitOk;
}

} // namespace vela::cli
