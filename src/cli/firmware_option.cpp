#include "cli/firmware_option.h"

#include <fstream>
#include <iterator>

namespace vela::cli {

std::optional<FirmwareImage> firmwareFromOptions(const Context& ctx, const char* command) {
    std::string text(builtInFirmwareText());
    std::string source = "the built-in DSP operating system";
    if (const auto file = ctx.args.value("firmware")) {
        std::ifstream in(*file, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "velaupdate %s: %s: cannot be read\n", command, file->c_str());
            return std::nullopt;
        }
        text.assign(std::istreambuf_iterator<char>(in), {});
        source = *file;
    }
    std::string error;
    auto firmware = firmwareImageFromText(text, error);
    if (!firmware) {
        std::fprintf(stderr, "velaupdate %s: %s: %s\n", command, source.c_str(), error.c_str());
        return std::nullopt;
    }
    // A placeholder program would leave a real unit without one.
    if (isStandInFirmware(text) && !ctx.link.sim && !ctx.args.flag("force")) {
        std::fprintf(stderr,
                     "velaupdate %s: %s is a stand-in, not the unit's program; it goes only to the simulated "
                     "unit (--sim), or with --force. Give the real text with --firmware FILE.\n",
                     command, source.c_str());
        return std::nullopt;
    }
    return firmware;
}

}  // namespace vela::cli
