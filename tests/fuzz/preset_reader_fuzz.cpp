// Fuzzes the preset reader: the size and signature checks on the raw input, then a record of
// arbitrary content with a valid signature through the whole open, recompute and image path.
#include "preset/new_preset.h"
#include "preset/preset_file.h"
#include "preset/program_image.h"
#include "silent_ui.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

using namespace vela;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::SilentUi ui;
    SessionState state;
    auto model = std::make_unique<PresetParameters>();
    PresetContext ctx{*model, state, ui, kSampleRate, nullptr};

    OpenPresetBytes(ctx, "raw.hdp", {data, size});

    // Sizes of both versions; the first byte picks one. The import file names are blanked:
    // the reader must not wander the file system (the import parser has its own target).
    std::vector<std::uint8_t> record(size > 0 && (data[0] & 1) ? kOlderPresetRecordSize : kPresetRecordSize, 0);
    std::memcpy(record.data(), data, std::min(size, record.size()));
    const std::uint8_t signature[6] = {5, 'K', 'T', 'R', 'M', 'F'};
    std::memcpy(record.data(), signature, sizeof signature);
    std::fill(record.begin() + 2373, record.begin() + 2575, 0);
    OpenPresetBytes(ctx, "record.hdp", record);

    ProgramImage image{};
    generateProgramImage(*model, kSampleRate, image);
    return 0;
}
