#include "cli/firmware_option.h"

#include "session/firmware_choice.h"
#include "platform/utf8_paths.h"

#include <cstdio>

namespace vela::cli {

std::optional<FirmwareChoice> firmwareFromOptions(const Context& ctx, const char* command) {
    const auto file = ctx.args.value("firmware");
    const FirmwareChoice choice =
        chooseFirmware(file ? std::optional(platform::pathFromUtf8(*file)) : std::nullopt, ctx.link.sim,
                       ctx.args.flag("force"));
    if (!choice.refusal.empty()) {
        std::fprintf(stderr, "velaupdate %s: %s\n", command, choice.refusal.c_str());
        return std::nullopt;
    }
    return choice;
}

} // namespace vela::cli
