// preset new|show|image|plot|set: the preset document from the command line.
#include "cli/commands.h"
#include "core/exit_codes.h"
#include "cli/output_file.h"
#include "cli/preset_cli.h"
#include "cli/session_factory.h"
#include "preset/program_image.h"
#include "session/preset_operations.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace vela::cli {

bool loadPreset(Session& s, const std::string& path) {
    MessagesOnlyUi ui(s.ui);
    resetPreset(s, &ui);
    return openPresetFile(s, path, &ui);
}

bool imageFromPreset(Session& s, const std::string& path) {
    if (!loadPreset(s, path)) return false;
    generateProgramImage(s.preset, s.SampleRate, s.programImage);
    return true;
}

std::string presetFileArgument(const Context& ctx, const char* usage) {
    if (ctx.args.positional.size() < 2) throw std::invalid_argument(std::string("usage: ") + usage);
    return ctx.args.positional[1];
}

namespace {

std::string outArgument(const Context& ctx, const char* usage) {
    const auto out = ctx.args.value("out");
    if (!out || out->empty()) throw std::invalid_argument(std::string("give the output file: ") + usage);
    return *out;
}

int runPresetNew(Context& ctx) {
    const std::string out = outArgument(ctx, "velaupdate preset new --out FILE.hdp");
    if (!outputAllowed(ctx, "preset new", out, FileKind::Preset)) return kExitBadInput;
    auto s = openSession(ctx);
    MessagesOnlyUi ui(ctx.ui);
    resetPreset(*s, &ui);
    if (!savePresetFile(*s, out, &ui)) return kExitBadInput;
    ctx.ui.status(StatusField::PresetStep, "Saved " + out);
    return kExitOk;
}

int runPresetImage(Context& ctx) {
    const char* usage = "velaupdate preset image FILE.hdp --out IMAGE.bin";
    const std::string file = presetFileArgument(ctx, usage);
    const std::string out = outArgument(ctx, usage);
    if (!outputAllowed(ctx, "preset image", out, FileKind::ProgramImage, std::span(&file, 1)))
        return kExitBadInput;
    auto s = openSession(ctx);
    if (!loadPreset(*s, file)) return kExitBadInput;
    // A fresh buffer: the bytes generation leaves alone are zero.
    ProgramImage image{};
    generateProgramImage(s->preset, s->SampleRate, image);
    std::ofstream f(out, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(kImageBytes));
    f.close();
    if (!f) {
        std::fprintf(stderr, "velaupdate preset image: cannot write %s\n", out.c_str());
        return kExitBadInput;
    }
    return kExitOk;
}

} // namespace

int runPreset(Context& ctx) {
    if (ctx.args.positional.empty())
        throw std::invalid_argument("which one: preset new|show|image|plot|set (velaupdate preset --help)");
    const std::string& sub = ctx.args.positional[0];
    if (sub == "new") return runPresetNew(ctx);
    if (sub == "show") return runPresetShow(ctx);
    if (sub == "image") return runPresetImage(ctx);
    if (sub == "plot") return runPresetPlot(ctx);
    if (sub == "set") return runPresetSet(ctx);
    throw std::invalid_argument("unknown preset subcommand '" + sub + "': new, show, image, plot or set");
}

} // namespace vela::cli
