// preset new|show|image|plot|set: the preset document from the command line.
#include "cli/commands.h"
#include "core/exit_codes.h"
#include "cli/output_file.h"
#include "cli/preset_cli.h"
#include "cli/session_factory.h"
#include "dsp/filter_types.h"
#include "preset/program_image.h"
#include "session/preset_operations.h"
#include "platform/utf8_paths.h"

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
    std::ofstream f(platform::pathFromUtf8(out), std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(kImageBytes));
    f.close();
    if (!f) {
        std::fprintf(stderr, "velaupdate preset image: cannot write %s\n", out.c_str());
        return kExitBadInput;
    }
    return kExitOk;
}

} // namespace

const char* presetHelp() {
    static const std::string text = [] {
        std::string typeNumbers;
        for (const auto& entry : dsp::kFilterList)
            typeNumbers += (typeNumbers.empty() ? "" : ", ") + std::to_string(entry.code) + " " + std::string(entry.text);
        return std::string(
        "usage: velaupdate preset new --out FILE.hdp\n"
        "       velaupdate preset show FILE.hdp [--json | --keys]\n"
        "       velaupdate preset image FILE.hdp --out IMAGE.bin\n"
        "       velaupdate preset plot FILE.hdp --out PICTURE.png|PICTURE.svg [--layout combined]\n"
        "       velaupdate preset set FILE.hdp NAME=VALUE... [--out OTHER.hdp]\n"
        "       velaupdate preset tune FILE.hdp --measured 1=WOOFER --measured 2=TWEETER [--target flat|SLOPE|FILE]\n"
        "                   [--range LOW-HIGH] [--keep crossover|eq|alignment]... [--max-boost DB] [--magnitude-only]\n"
        "                   [--out OTHER.hdp] [--json]\n"
        "Preset files (.hdp) hold one program of the HALDA40: 2620 bytes; older 2616-byte files are\n"
        "read with a warning and keep the present input delay. Files of another size or without the\n"
        "\"KTRMF\" signature are refused (exit code 3). Opening a file redesigns every filter,\n"
        "crossover and RMS dynamics table (the peak limiters keep the tables of new, with a warning\n"
        "when the file holds other peak settings) and re-imports the measurement files it names\n"
        "(beside the preset, or in the current folder, when the stored path is not found).\n"
        "An --out file is never the file read, and an existing file of another kind (a library\n"
        "replaced by a preset, say) is replaced only with --force.\n"
        "\n"
        "new    writes a preset with the defaults of New.\n"
        "show   prints every parameter; --json uses the parameter names as keys (SystemName,\n"
        "       Temperature, InputDelay, OutputDelay, PeqBands, Crossovers, OutputGain, InputRoute,\n"
        "       RmsDynamics, PeakDynamics, ImportData ...). Per-output arrays hold output 1 first;\n"
        "       PeqBands holds bands 1 to 8 of output 1, then of output 2. --keys prints one\n"
        "       NAME=VALUE line per parameter, as set takes them back.\n"
        "image  writes the program image (3570 bytes: the length 3568 as 2 big-endian bytes, then\n"
        "       the data block) that write and copy-all send and a library keeps.\n"
        "plot   draws magnitude and phase of each output's equaliser, crossover and their sum with\n"
        "       the output level, polarity and delay, with the imported measurement and what the\n"
        "       processing makes of it. Both outputs share one dB scale; dashed lines mark the\n"
        "       crossover frequencies; a muted output is drawn as silent. --layout combined draws\n"
        "       both outputs' totals in one magnitude and one phase panel.\n"
        "set    changes parameters through the editors' controls, so each value is limited and\n"
        "       stepped as the control does it and the filters are redesigned; then saves the file\n"
        "       (or --out); a value its control limited is named with what it became. Output N is\n"
        "       1 or 2, band B 1..8, dynamics object N 1..3 (1 and 2 serve outputs 1 and 2):\n") +
               presetSetNames() +
        "       eq.N.B.type also takes the number show prints (" + typeNumbers + ");\n"
        "       case and blanks do not matter. xover.N.EDGE.alignment also takes the name or number\n"
        "       show prints (0 bypass; odd: low-pass, even: high-pass, as design crossover numbers\n"
        "       them). EDGE is hp (the band's low edge, fc1; also low) or lp (the band's high edge,\n"
        "       fc2; also high). The edges are kept apart: a high-pass at or above the low-pass\n"
        "       moves to the low-pass frequency unless the low-pass is off, and the other way round.\n"
        "       Delays are in samples at 48 kHz; out.N.polarity 1 is inverted; out.N.loudness is the\n"
        "       sub reinforcement's gain, sent in real time only (the file does not keep it);\n"
        "       out.N.route none is a routing never chosen; import.N names the measurement files.\n"
        "tune   fits the preset to two measured drivers (FRD for .frd and .txt files, else the preset's\n"
        "       import format; the phase is needed, as the outputs are summed with it): the crossover\n"
        "       between them (alignment, order, frequency of the woofer's low-pass and the tweeter's\n"
        "       high-pass, which stays an octave above where the tweeter itself is 6 dB down), the output\n"
        "       levels, delay and polarity, then up to 8 equaliser bands per output (none lifting more\n"
        "       than --max-boost, 6 dB by default, nor placed where its output lies 20 dB below the\n"
        "       other), every value on its control's steps. --target is flat, a slope in dB per octave\n"
        "       through 0 dB at 1 kHz, or a file of frequency and dB lines; --range defaults to\n"
        "       150-15000 Hz; --keep holds a part as it is (alignment: the delays and polarities).\n"
        "       Prints per output what it chose and the RMS and largest deviation of the 1/6-octave\n"
        "       smoothed sum from the target after level matching, before and after, and where the\n"
        "       drivers cannot follow the target. --out saves the tuned preset with the measurement\n"
        "       files named in it (by name alone when beside it and too long a path for the file).\n"
        "       Exit 0 when the fit improved on the preset, 1 when it could not (nothing saved), 3 for\n"
        "       a measurement or target it cannot use (no phase, frequencies out of order, a range\n"
        "       beyond the data, a target of one point). --magnitude-only takes measurements without\n"
        "       phase: each output is equalised toward the target through its own crossover, which\n"
        "       stays, as do the delays and polarities; the figures are then of both outputs against\n"
        "       that, as no sum is judged.\n";
    }();
    return text.c_str();
}

int runPreset(Context& ctx) {
    if (ctx.args.positional.empty())
        throw std::invalid_argument("which one: preset new|show|image|plot|set|tune (velaupdate preset --help)");
    const std::string& sub = ctx.args.positional[0];
    if (sub == "new") return runPresetNew(ctx);
    if (sub == "show") return runPresetShow(ctx);
    if (sub == "image") return runPresetImage(ctx);
    if (sub == "plot") return runPresetPlot(ctx);
    if (sub == "set") return runPresetSet(ctx);
    if (sub == "tune") return runPresetTune(ctx);
    throw std::invalid_argument("unknown preset subcommand '" + sub + "': new, show, image, plot, set or tune");
}

} // namespace vela::cli
