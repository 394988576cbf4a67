#pragma once
// Import of measured loudspeaker responses exported as text by measurement programs: the
// header check of each format, the data columns, and the resampling onto the first 400
// points of the equaliser display's frequency grid.

#include "core/user_interface.h"
#include "preset/parameter_source.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vela {

inline constexpr std::size_t kImportPoints = 400;
inline constexpr float kOutsideMagnitude = -140.0f;
inline constexpr double kDefaultReferenceLevel = 90.0;
// Microphone sensitivity of the dBu formats when none is given: 20 mV/Pa.
inline constexpr double kDefaultSensitivity = 0.020;

struct ImportCurve {
    std::array<float, kImportPoints> magnitude{};  // dB relative to ReferenceLevel
    std::array<float, kImportPoints> phase{};
};

// The import editor's selections and the curves it produced.
struct ImportData {
    std::array<std::string, 2> path;  // Edit1, Edit2
    std::int32_t ImportDataType = 0;
    NumberSource ReferenceLevel{-140.0, 140.0, kDefaultReferenceLevel, 1};  // field dBspl
    // Microphone sensitivity of the dBu format, volts per pascal (1 to 999 mV/Pa); not saved.
    NumberSource Sensitivity{0.001, 0.999, kDefaultSensitivity, 3};
    std::array<ImportCurve, 2> curves;
};

// Character columns, counted from 1, both ends included; 0 when the format has none.
struct Columns {
    int first = 0, last = 0;
};

struct ImportFormat {
    int code;
    std::string_view name;    // as the messages name it
    std::string_view header;  // expected header text
    int headerLine;           // -1: not checked; for code 3 any of lines 1..39
    int firstDataLine;
    Columns frequency, magnitude, phase;
    bool phaseInDegrees;
};

// The FRD exchange format: frequency, SPL and phase (degrees) separated by blanks or tabs,
// with "*", "#" and '"' comment lines; a value may have a decimal comma, and the points may come
// in any order of frequency. A header of column names may give the level in Pa and the phase in
// rad ("Freq(Hz) SPL(Pa) Phase(rad)"): the curve is read into dB SPL and degrees. Its code
// follows the codes of the other formats.
inline constexpr std::int32_t kFrdFormat = 11;

// The format of a data type code, or nothing for code 5 and unknown codes.
const ImportFormat* importFormat(std::int32_t code);
// Every format, in code order.
std::span<const ImportFormat> importFormats();
// What a format's file must look like: header, first data line, where each value stands.
std::string importLayout(const ImportFormat& format);

struct MeasuredCurve {
    std::vector<float> frequency, magnitude, phase;
};

// NoData: an FRD file that holds no point at all (the fixed formats' headers alone read as a
// measurement without points, as their exporters define).
enum class ParseStatus { Ok, NotValid, BadNumber, NoData };

struct ParseResult {
    ParseStatus status = ParseStatus::Ok;
    MeasuredCurve curve;
    bool phaseGiven = false;  // the file carried a phase (an FRD line may leave it out)
    // The file's frequencies rose throughout or fell throughout, as sweeps export them.
    bool oneWay = true;
    int badLine = -1;  // counted from 0
    std::string badText;
};

// Reads one export file's text. `sensitivity` in volts per pascal serves the dBu format.
ParseResult parseMeasurement(std::string_view text, const ImportFormat& format, double sensitivity);

// Resamples a measured curve onto grid points 0..399; points outside the measured range
// hold -140 dB and phase 0.
void resampleMeasurement(const MeasuredCurve& measured, const ImportFormat& format,
                         std::span<const std::int32_t> grid, double referenceLevel, ImportCurve& out);

enum class ImportOutcome { NoFile, Missing, NoFormat, NotValid, BadNumber, NoData, Imported, OutOfMemory };

struct ImportOptions {
    double sensitivity = kDefaultSensitivity;  // volts per pascal
    std::string presetFolder;                  // folder of the preset file last opened
};

// Imports both outputs in turn. Returns the outcome of each output.
std::array<ImportOutcome, 2> RunImport(ImportData& data, std::span<const std::int32_t> grid,
                                       const ImportOptions& options, UserInterface& ui);

// The message of a file that is not the format's export, and of a field that is not a number.
std::string notValidMessage(const std::string& path, const ImportFormat& format);
// The second names the expected layout, since a misplaced column is the usual cause.
std::string badNumberMessage(const std::string& path, const ParseResult& parsed, const ImportFormat& format);
// The message of a file without a single point: an empty curve is no measurement.
std::string noDataMessage(const std::string& path, const ImportFormat& format);

// Exports run to a few thousand lines; a file far larger is not one.
inline constexpr std::size_t kLongestMeasurementFile = std::size_t{64} << 20;
// Reads a whole export file; nothing, with `error` naming the path, when it cannot be read.
std::optional<std::string> readWholeFile(const std::string& path, std::string& error);
// The characters after the last folder separator ("\" or "/").
std::string bareFileName(const std::string& path);

}  // namespace vela
