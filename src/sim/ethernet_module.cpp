#include "sim/ethernet_module.h"

#include "ethernet/em100_datagrams.h"

#include <algorithm>
#include <stdexcept>

namespace vela::sim {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes bytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

bool startsWith(const std::string& text, std::string_view prefix) { return text.compare(0, prefix.size(), prefix) == 0; }

}  // namespace

EthernetModuleSim::EthernetModuleSim(std::vector<SimulatedModule> modules) : modules_(std::move(modules)) {}

SimulatedModule EthernetModuleSim::parseModuleOption(const std::string& option) {
    const auto a = option.find(',');
    const auto b = a == std::string::npos ? a : option.find(',', a + 1);
    if (b == std::string::npos) throw std::invalid_argument("--module wants ID,MODEL,NAME: " + option);
    SimulatedModule m;
    m.id = option.substr(0, a);
    m.model = option.substr(a + 1, b - a - 1);
    m.name = option.substr(b + 1);
    if (m.id.empty() || m.id.find('/') != std::string::npos || m.model.find('/') != std::string::npos)
        throw std::invalid_argument("--module: the ID must not be empty and ID and MODEL hold no \"/\": " + option);
    return m;
}

std::vector<Bytes> EthernetModuleSim::handle(std::span<const std::uint8_t> request) {
    std::vector<Bytes> answers;
    if (request.empty() || modules_.empty()) return answers;
    const std::string text(request.begin(), request.end());

    if (text == "X") {
        // Byte 0 is not read by the PC; fields 2 to 4 stand for the module's own settings.
        for (const auto& m : modules_)
            answers.push_back(bytesOf("X" + m.id + "/" + m.ip + "/255.255.255.0/1001/" + m.model + "/" + m.name));
        return answers;
    }
    if (text[0] == 'A') {
        const auto slashes = text.find("//", 1);
        if (slashes == std::string::npos || text.back() != '\0') return answers;
        const std::string id = text.substr(1, slashes - 1);
        const std::string address = text.substr(slashes + 2, text.size() - slashes - 3);
        const auto valid = validModuleAddress(address);
        bool matched = false;
        for (auto& m : modules_) {
            if (m.id != id) continue;
            matched = true;
            if (valid) {
                m.ip = *valid;
                tell("module " + m.id + ": IP address set to " + *valid);
            }
        }
        if (matched) answers.push_back(bytesOf(valid ? "A" : "N"));
        return answers;
    }
    auto& first = modules_.front();
    if (text == "L") {
        first.namePending = true;
    } else if (startsWith(text, "SDN")) {
        const auto name = validHostName(text.substr(3));
        const bool ok = first.namePending && name && *name == text.substr(3);
        first.namePending = false;
        if (ok) {
            first.name = *name;
            tell("module " + first.id + ": host name set to " + first.name);
        }
        answers.push_back(bytesOf(ok ? "A" : "N"));
    } else if (text == "B") {
        ++first.blinks;
        tell("module " + first.id + " (" + first.name + "): blinking its Ethernet LEDs");
    }
    return answers;
}

int EthernetModuleSim::serve(DatagramEndpoint& endpoint, std::chrono::milliseconds timeout) {
    int handled = 0;
    for (auto wait = timeout;; wait = std::chrono::milliseconds(0)) {
        auto request = endpoint.receive(wait);
        if (!request) return handled;
        ++handled;
        for (const auto& answer : handle(request->bytes)) endpoint.send(request->address, request->port, answer);
        requests_.push_back(std::move(*request));
    }
}

}  // namespace vela::sim
