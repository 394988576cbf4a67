#include "sim/sim_options.h"

#include <charconv>
#include <stdexcept>

namespace vela::sim {
namespace {

std::optional<int> number(std::string_view text) {
    int v = 0;
    const auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (text.empty() || ec != std::errc() || p != text.data() + text.size()) return std::nullopt;
    return v;
}

constexpr std::pair<std::string_view, SimFault::Kind> kFaults[] = {
    {"start", SimFault::Kind::Start},
    {"long", SimFault::Kind::Long},
    {"end", SimFault::Kind::End},
    {"silent-block", SimFault::Kind::SilentBlock},
    {"hangup-block", SimFault::Kind::HangupBlock},
    {"silent", SimFault::Kind::Silent},
};

}  // namespace

std::optional<SimFault> parseFault(std::string_view text) {
    SimFault fault;
    const auto at = text.find('@');
    if (at != std::string_view::npos) {
        const auto n = number(text.substr(at + 1));
        if (!n || *n < 1) return std::nullopt;
        fault.at = *n;
        text = text.substr(0, at);
    }
    for (const auto& [name, kind] : kFaults)
        if (text == name) {
            fault.kind = kind;
            return fault;
        }
    return std::nullopt;
}

std::optional<std::set<int>> parseMemoryList(std::string_view text) {
    std::set<int> out;
    while (!text.empty()) {
        const auto comma = text.find(',');
        const auto n = number(text.substr(0, comma));
        if (!n || *n < 1 || *n > 13) return std::nullopt;
        out.insert(*n);
        text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
    }
    return out;
}

std::string faultName(SimFault::Kind kind) {
    for (const auto& [name, k] : kFaults)
        if (k == kind) return std::string(name);
    return {};
}

void applyRigFault(std::string_view text, std::vector<SimOptions>& cabinets) {
    const auto colon = text.find(':');
    const auto n = number(text.substr(0, colon));
    if (colon == std::string_view::npos || !n)
        throw std::invalid_argument("--rig-fault wants CABINET:FAULT such as 3:silent-block: " + std::string(text));
    if (*n < 1 || static_cast<std::size_t>(*n) > cabinets.size())
        throw std::invalid_argument("--rig-fault: the rig has no cabinet " + std::to_string(*n));
    SimOptions& cabinet = cabinets[static_cast<std::size_t>(*n - 1)];
    const std::string_view what = text.substr(colon + 1);
    constexpr std::string_view kProtect = "protect=";
    if (what == "empty") {
        cabinet.empty = true;
    } else if (what.substr(0, kProtect.size()) == kProtect) {
        const auto memories = parseMemoryList(what.substr(kProtect.size()));
        if (!memories || memories->empty())
            throw std::invalid_argument("--rig-fault: protect= takes memory numbers 1..13 such as 3,5: " +
                                        std::string(text));
        cabinet.protectedMemories.insert(memories->begin(), memories->end());
    } else if (const auto fault = parseFault(what)) {
        cabinet.faults.push_back(*fault);
    } else {
        throw std::invalid_argument("--rig-fault: start, long, end, silent-block, hangup-block or silent (then @N "
                                    "if wanted), protect=LIST or empty: " + std::string(text));
    }
}

}  // namespace vela::sim
