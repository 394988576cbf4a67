// Fuzzes the DSP operating-system text: line splitting, the stand-in test and the image.
#include "link/firmware_image.h"

#include <string>
#include <string_view>

using namespace vela;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    isStandInFirmware(text);
    std::string error;
    const auto image = firmwareImageFromText(text, error);
    if (!image && error.empty()) std::abort();  // a refusal always says why
    // Short texts never get 1536 lines; the lines there are still build or are refused with a reason.
    std::string lineError;
    if (!buildFirmwareImage(firmwareTextLines(text), lineError) && lineError.empty()) std::abort();
    return 0;
}
