#include "session/firmware_choice.h"

#include "core/input_file.h"
#include "platform/utf8_paths.h"

namespace vela {

FirmwareChoice chooseFirmware(const std::optional<std::filesystem::path>& file, bool simulatedUnit,
                              bool force) {
    FirmwareChoice choice;
    std::string text(builtInFirmwareText());
    choice.source = "the built-in DSP operating system";
    if (file) {
        choice.source = platform::utf8FromPath(*file);
        // The text is about 46 kB; anything far larger is not one.
        constexpr std::size_t kLongestFirmwareText = 1 << 20;
        std::string readError;
        const auto bytes = readInputFile(*file, kLongestFirmwareText + 1, readError);
        if (!bytes) {
            choice.refusal = readError;
            return choice;
        }
        if (bytes->size() > kLongestFirmwareText) {
            choice.refusal = choice.source + ": too long for a DSP operating-system text";
            return choice;
        }
        text.assign(bytes->begin(), bytes->end());
    }
    std::string error;
    choice.image = firmwareImageFromText(text, error);
    if (!choice.image) {
        choice.refusal = choice.source + ": " + error;
        return choice;
    }
    // A placeholder program would leave a real unit without one.
    if (isStandInFirmware(text) && !simulatedUnit && !force)
        choice.refusal =
            choice.source +
            " is a stand-in, not the unit's program; it goes only to the simulated unit (--sim), or "
            "with --force. Give the real text with --firmware FILE.";
    return choice;
}

} // namespace vela
