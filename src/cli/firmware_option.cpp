#include "cli/firmware_option.h"

#include "core/input_file.h"

namespace vela::cli {
namespace {

// The text is about 46 kB; anything far larger is not one.
constexpr std::size_t kLongestFirmwareText = 1 << 20;

}  // namespace

std::optional<FirmwareImage> firmwareFromOptions(const Context& ctx, const char* command) {
    std::string text(builtInFirmwareText());
    std::string source = "the built-in DSP operating system";
    if (const auto file = ctx.args.value("firmware")) {
        std::string error;
        const auto bytes = readInputFile(*file, kLongestFirmwareText + 1, error);
        if (!bytes) {
            std::fprintf(stderr, "velaupdate %s: %s\n", command, error.c_str());
            return std::nullopt;
        }
        if (bytes->size() > kLongestFirmwareText) {
            std::fprintf(stderr, "velaupdate %s: %s: too long for a DSP operating-system text\n", command,
                         file->c_str());
            return std::nullopt;
        }
        text.assign(bytes->begin(), bytes->end());
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
