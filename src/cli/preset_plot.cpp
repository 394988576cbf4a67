// preset plot: the response plot of a preset file as a picture file.
#include "core/exit_codes.h"
#include "cli/output_file.h"
#include "cli/preset_cli.h"
#include "cli/session_factory.h"
#include "plot/response_plot.h"

#include <cstdio>
#include <stdexcept>

namespace vela::cli {

int runPresetPlot(Context& ctx) {
    const char* usage = "velaupdate preset plot FILE.hdp --out FILE.png|FILE.svg [--layout split|combined]";
    const std::string file = presetFileArgument(ctx, usage);
    const auto out = ctx.args.value("out");
    if (!out || out->empty()) throw std::invalid_argument(std::string("give the picture file: ") + usage);
    if (!plot::isPlotFileName(*out)) throw std::invalid_argument("--out: the picture is FILE.png or FILE.svg");
    if (!outputAllowed(ctx, "preset plot", *out, FileKind::Plot, std::span(&file, 1))) return kExitBadInput;
    const std::string layout = ctx.args.value("layout").value_or("split");
    if (layout != "split" && layout != "combined") throw std::invalid_argument("--layout: split or combined");
    auto s = openSession(ctx);
    if (!loadPreset(*s, file)) return kExitBadInput;
    const std::string caption = s->preset.MainSystemName + "  -  " + file;
    std::string error;
    if (!plot::saveResponsePlot(*out, s->preset, caption, layout == "combined", error)) {
        std::fprintf(stderr, "velaupdate preset plot: cannot write %s: %s\n", out->c_str(), error.c_str());
        return kExitBadInput;
    }
    return kExitOk;
}

}  // namespace vela::cli
