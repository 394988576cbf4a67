#include "tune/driver_file.h"
#include "platform/utf8_paths.h"

#include <cctype>
#include <filesystem>
#include <vector>

namespace vela::tune {
namespace {

std::vector<std::int32_t> formatsFor(const std::string& path, std::int32_t presetFormat) {
    std::string ext = platform::utf8FromPath(platform::pathFromUtf8(path).extension());
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ext == ".frd") return {kFrdFormat};
    if (ext == ".txt" && presetFormat != kFrdFormat) return {kFrdFormat, presetFormat};
    return {ext == ".txt" ? kFrdFormat : presetFormat};
}

} // namespace

std::optional<DriverFile> readDriverFile(const std::string& path, std::int32_t presetFormat,
                                         double sensitivity, std::string& error) {
    const auto text = readWholeFile(path, error);
    if (!text) return std::nullopt;
    ParseResult parsed;
    const ImportFormat* format = nullptr;
    for (const std::int32_t code : formatsFor(path, presetFormat)) {
        format = importFormat(code);
        if (!format) {
            error = path + ": import format " + std::to_string(code) + " reads no data";
            return std::nullopt;
        }
        parsed = parseMeasurement(*text, *format, sensitivity);
        if (parsed.status == ParseStatus::Ok) break;
    }
    switch (parsed.status) {
    case ParseStatus::NotValid:
        error = notValidMessage(path, *format);
        return std::nullopt;
    case ParseStatus::BadNumber:
        error = badNumberMessage(path, parsed, *format);
        return std::nullopt;
    case ParseStatus::NoData:
        error = noDataMessage(path, *format);
        return std::nullopt;
    case ParseStatus::Ok:
        break;
    }
    if (!parsed.oneWay) {
        error = path + ": its frequencies fall and rise again, which no sweep exports";
        return std::nullopt;
    }
    return DriverFile{driverResponse(parsed.curve, format->phaseInDegrees, parsed.phaseGiven), format->code};
}

} // namespace vela::tune
