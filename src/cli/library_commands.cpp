// models and library show|build: the model catalogue and library files.
#include "cli/commands.h"
#include "core/exit_codes.h"
#include "cli/json.h"
#include "cli/output_file.h"
#include "cli/preset_cli.h"
#include "cli/session_factory.h"
#include "core/text_display.h"
#include "library/model_catalogue.h"
#include "session/operations.h"
#include "platform/utf8_paths.h"

#include <algorithm>
#include <stdexcept>

namespace vela::cli {
namespace {

// "4 (M02)", "1 (no model)", or "33 (not in the catalogue)": what a unit loaded with it reports.
std::string modelCodeText(int code) {
    const auto row = ModelCatalogue::rowForModelCode(static_cast<std::int8_t>(code));
    if (row)
        return std::to_string(code) + " (" + unitName(ModelCatalogue::rows()[*row].name) + ")";
    return std::to_string(code) + (code < 2 ? " (no model)" : " (not in the catalogue)");
}

void printLibrary(Context& ctx, const LibraryBuffer& buffer, const std::string& file) {
    const auto entries = libraryEntries(buffer);
    const auto code = libraryModelCode(buffer);
    const int empty =
        entries ? static_cast<int>(std::count_if(entries->begin(), entries->end(),
                                                 [](const LibraryEntry& e) { return e.length == 0; }))
                : 0;
    if (ctx.args.flag("json")) {
        JsonWriter j(ctx.out);
        j.beginObject();
        j.field("file", file);
        j.field("count", static_cast<int>(buffer[0]));
        if (empty > 0) j.field("emptyMemories", empty);
        if (code) j.field("modelCode", *code);
        j.key("programs");
        j.beginArray();
        for (std::size_t k = 0; entries && k < entries->size(); ++k) {
            j.beginObject();
            j.field("memory", static_cast<int>(k + 1));
            j.field("length", static_cast<int>((*entries)[k].length));
            if ((*entries)[k].length == 0) j.field("empty", true);
            if (!code && (*entries)[k].length > 0) j.field("modelCode", static_cast<int>((*entries)[k].modelCode));
            j.field("name", unitName((*entries)[k].name));
            j.endObject();
        }
        j.endArray();
        j.endObject();
        j.finish();
        return;
    }
    // A backup keeps an empty memory as an entry of length 0: no program.
    const int programs = buffer[0] - empty;
    ctx.out.print("%s: %d program%s", file.c_str(), programs, programs == 1 ? "" : "s");
    if (empty > 0) ctx.out.print("; %d memor%s empty", empty, empty == 1 ? "y was" : "ies were");
    ctx.out.print("\n");
    if (code) ctx.out.print("model code %s\n", modelCodeText(*code).c_str());
    for (std::size_t k = 0; entries && k < entries->size(); ++k) {
        // A backup keeps an empty memory as an entry of length 0.
        if ((*entries)[k].length == 0) {
            ctx.out.print("%2zu - (empty)\n", k + 1);
            continue;
        }
        ctx.out.print("%2zu - %-40s %5u bytes", k + 1, unitName((*entries)[k].name).c_str(),
                      static_cast<unsigned>((*entries)[k].length));
        // Programs that disagree about the model each say theirs.
        if (!code) ctx.out.print("  model code %s", modelCodeText((*entries)[k].modelCode).c_str());
        ctx.out.print("\n");
    }
}

int libraryShow(Context& ctx) {
    if (ctx.args.positional.size() != 2)
        throw std::invalid_argument("usage: velaupdate library show FILE.HLB");
    auto s = openSession(ctx);
    if (openLibraryFile(*s, ctx.args.positional[1]) != OperationResult::Done) return kExitBadInput;
    const LibraryWindow& form = s->libraryForm;
    printLibrary(ctx, form.buffer, platform::utf8FromPath(form.locate(platform::pathFromUtf8(form.libraryFileName))));
    return kExitOk;
}

int libraryBuild(Context& ctx) {
    const auto out = ctx.args.value("out");
    if (!out || ctx.args.positional.size() < 2)
        throw std::invalid_argument(
            "usage: velaupdate library build --out FILE.HLB [--model NAME] PRESET.hdp...");
    std::optional<std::size_t> row;
    if (const auto model = ctx.args.value("model")) {
        row = ModelCatalogue::find(*model);
        if (!row)
            throw std::invalid_argument("no model called '" + *model + "' (velaupdate models lists them)");
    }
    const std::vector<std::string> files(ctx.args.positional.begin() + 1, ctx.args.positional.end());
    if (!outputAllowed(ctx, "library build", *out, FileKind::Library, files)) return kExitBadInput;
    auto s = openSession(ctx);
    MessagesOnlyUi ui(ctx.ui);
    buildLibrary(*s, files, &ui);
    // A file refused part-way stops the batch, and a short library is not saved.
    const std::optional<int> code = row ? std::optional<int>(ModelCatalogue::modelCode(*row)) : std::nullopt;
    if (saveLibrary(*s, platform::pathFromUtf8(*out), code) != SaveLibraryResult::Saved) return kExitBadInput;
    if (!ctx.args.flag("quiet")) printLibrary(ctx, s->libraryForm.buffer, *out);
    return kExitOk;
}

} // namespace

int runModels(Context& ctx) {
    const auto& rows = ModelCatalogue::rows();
    if (ctx.args.flag("json")) {
        JsonWriter j(ctx.out);
        j.beginArray();
        for (std::size_t r = 0; r < rows.size(); ++r) {
            j.beginObject();
            j.field("row", static_cast<int>(r));
            j.field("modelCode", ModelCatalogue::modelCode(r));
            j.field("name", rows[r].name);
            j.field("library", rows[r].libraryFile);
            j.field("manual", rows[r].manualFile);
            j.endObject();
        }
        j.endArray();
        j.finish();
        return kExitOk;
    }
    for (std::size_t r = 0; r < rows.size(); ++r)
        ctx.out.print("%2d  %-13s %-12s %s\n", ModelCatalogue::modelCode(r),
                      std::string(rows[r].name).c_str(), std::string(rows[r].libraryFile).c_str(),
                      std::string(rows[r].manualFile).c_str());
    return kExitOk;
}

int runLibrary(Context& ctx) {
    const std::string sub = ctx.args.positional.empty() ? "" : ctx.args.positional[0];
    if (sub == "show") return libraryShow(ctx);
    if (sub == "build") return libraryBuild(ctx);
    throw std::invalid_argument("usage: velaupdate library show FILE.HLB | library build --out FILE.HLB "
                                "[--model NAME] PRESET.hdp...");
}

} // namespace vela::cli
