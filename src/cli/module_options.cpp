#include "cli/module_options.h"

#include "ethernet/em100_datagrams.h"
#include "library/model_catalogue.h"

#include <stdexcept>

namespace vela::cli {

std::uint16_t portOption(const Context& ctx, const char* option, std::uint16_t fallback) {
    const auto v = ctx.args.integer(option);
    if (!v) return fallback;
    if (*v < 1 || *v > 65535) throw std::invalid_argument(std::string("--") + option + ": not a port 1..65535");
    return static_cast<std::uint16_t>(*v);
}

std::optional<std::string> broadcastOption(const Context& ctx) {
    const auto b = ctx.args.value("broadcast");
    if (b && !isDottedIPv4(*b)) throw std::invalid_argument("--broadcast: not an IPv4 address: " + *b);
    return b;
}

std::optional<std::string> moduleModelOption(const Context& ctx) {
    const auto m = ctx.args.value("model");
    if (!m) return std::nullopt;
    if (m->empty()) throw std::invalid_argument("--model needs a model name");
    const auto row = ModelCatalogue::find(*m);
    return row ? std::string(ModelCatalogue::rows()[*row].name) : *m;
}

}  // namespace vela::cli
