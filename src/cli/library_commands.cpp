// models, library show|build and load-all: the model catalogue, library files and the run
// that puts a model's presets and the DSP operating system into the unit.
#include "cli/commands.h"
#include "cli/exit_codes.h"
#include "cli/firmware_option.h"
#include "cli/json.h"
#include "cli/library_choice.h"
#include "cli/output_file.h"
#include "cli/link_selection.h"
#include "cli/preset_cli.h"
#include "cli/session_factory.h"
#include "library/model_catalogue.h"
#include "link/port_discovery.h"
#include "link/send_program.h"
#include "session/connection.h"

#include <csignal>
#include <stdexcept>
#include <thread>

namespace vela::cli {
namespace {

std::string trimmed(std::string s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.pop_back();
    return s;
}

// "4 (M02)", "1 (no model)", or "33 (not in the catalogue)": what a unit loaded with it reports.
std::string modelCodeText(int code) {
    const auto row = ModelCatalogue::rowForModelCode(static_cast<std::int8_t>(code));
    if (row) return std::to_string(code) + " (" + trimmed(std::string(ModelCatalogue::rows()[*row].name)) + ")";
    return std::to_string(code) + (code < 2 ? " (no model)" : " (not in the catalogue)");
}

void printLibrary(Context& ctx, const LibraryBuffer& buffer, const std::string& file) {
    const auto entries = libraryEntries(buffer);
    const auto code = libraryModelCode(buffer);
    if (ctx.args.flag("json")) {
        JsonWriter j(ctx.out);
        j.beginObject();
        j.field("file", file);
        j.field("count", static_cast<int>(buffer[0]));
        if (code) j.field("modelCode", *code);
        j.key("programs");
        j.beginArray();
        for (std::size_t k = 0; entries && k < entries->size(); ++k) {
            j.beginObject();
            j.field("memory", static_cast<int>(k + 1));
            j.field("length", static_cast<int>((*entries)[k].length));
            if (!code) j.field("modelCode", static_cast<int>((*entries)[k].modelCode));
            j.field("name", trimmed((*entries)[k].name));
            j.endObject();
        }
        j.endArray();
        j.endObject();
        j.finish();
        return;
    }
    std::fprintf(ctx.out, "%s: %d program%s\n", file.c_str(), buffer[0], buffer[0] == 1 ? "" : "s");
    if (code) std::fprintf(ctx.out, "model code %s\n", modelCodeText(*code).c_str());
    for (std::size_t k = 0; entries && k < entries->size(); ++k) {
        std::fprintf(ctx.out, "%2zu - %-40s %5u bytes", k + 1, trimmed((*entries)[k].name).c_str(),
                     static_cast<unsigned>((*entries)[k].length));
        // Programs that disagree about the model each say theirs.
        if (!code) std::fprintf(ctx.out, "  model code %s", modelCodeText((*entries)[k].modelCode).c_str());
        std::fputc('\n', ctx.out);
    }
}

int libraryShow(Context& ctx) {
    if (ctx.args.positional.size() != 2) throw std::invalid_argument("usage: velaupdate library show FILE.HLB");
    auto s = openSession(ctx);
    LibraryWindow& form = s->libraryForm;
    form.libraryFileName = ctx.args.positional[1];
    if (!form.OpenLibraryBClick()) return kExitBadInput;
    printLibrary(ctx, form.buffer, form.locate(form.libraryFileName).string());
    return kExitOk;
}

int libraryBuild(Context& ctx) {
    const auto out = ctx.args.value("out");
    if (!out || ctx.args.positional.size() < 2)
        throw std::invalid_argument("usage: velaupdate library build --out FILE.HLB [--model NAME] PRESET.hdp...");
    std::optional<std::size_t> row;
    if (const auto model = ctx.args.value("model")) {
        row = ModelCatalogue::find(*model);
        if (!row) throw std::invalid_argument("no model called '" + *model + "' (velaupdate models lists them)");
    }
    const std::vector<std::string> files(ctx.args.positional.begin() + 1, ctx.args.positional.end());
    if (!outputAllowed(ctx, "library build", *out, FileKind::Library, files)) return kExitBadInput;
    auto s = openSession(ctx);
    MessagesOnlyUi ui(ctx.ui);
    PresetContext preset = presetContext(*s, ui);
    const int built = s->libraryForm.LoadDirectoryBClick(preset, files);
    // A file refused part-way stops the batch: keep the user from shipping a short library.
    if (built < static_cast<int>(std::min<std::size_t>(files.size(), kLibraryMaxPrograms))) {
        std::fprintf(stderr, "velaupdate library build: %d of %zu preset files went in; nothing saved\n", built,
                     std::min<std::size_t>(files.size(), kLibraryMaxPrograms));
        return kExitBadInput;
    }
    if (row) setLibraryModelCode(s->libraryForm.buffer, ModelCatalogue::modelCode(*row));
    if (!s->libraryForm.MakeLibraryBClick(*out)) return kExitBadInput;
    if (!ctx.args.flag("quiet")) printLibrary(ctx, s->libraryForm.buffer, *out);
    return kExitOk;
}

// Connects as the connection window does; false when no unit answers.
bool connect(Context& ctx, Session& s) {
    if (ctx.link.kind == LinkKind::Offline) return true;  // the run says what that means
    if (ctx.link.kind == LinkKind::USB) {
        OffLineBClick(s, LinkKind::USB);
        return s.state.UsbActive;
    }
    return selectLink(ctx, s) && probeSelectedLink(ctx, s);
}

// Opens the library to send: the one the unit's model locks, the chosen model's, or a file.
int chooseLibrary(Context& ctx, Session& s) {
    LibraryWindow& form = s.libraryForm;
    const LibraryWindowState& list = s.libraryWindow;
    const auto model = ctx.args.value("model");
    const auto file = ctx.args.value("library");
    const bool locked = !list.modelListEnabled && list.selectedRow >= 0;
    if (file) {
        form.libraryFileName = *file;
        return form.OpenLibraryBClick() ? kExitOk : kExitBadInput;
    }
    if (!model) {
        if (locked) return form.buffer[0] ? kExitOk : kExitBadInput;
        throw std::invalid_argument("choose the cabinet: --model NAME (velaupdate models lists them) or --library FILE.HLB");
    }
    const auto row = ModelCatalogue::find(*model);
    if (!row) throw std::invalid_argument("no model called '" + *model + "' (velaupdate models lists them)");
    if (locked && static_cast<int>(*row) != list.selectedRow) {
        const auto& own = ModelCatalogue::rows()[static_cast<std::size_t>(list.selectedRow)];
        std::fprintf(stderr, "velaupdate load-all: this unit is a %s; its presets are %s, not those of %s\n",
                     trimmed(std::string(own.name)).c_str(), std::string(own.libraryFile).c_str(), model->c_str());
        return kExitUsage;
    }
    s.libraryWindow.chooseRow(static_cast<int>(*row));
    return form.buffer[0] ? kExitOk : kExitBadInput;
}

// Reads every written memory back and compares it with its library entry.
bool verify(Context& ctx, Session& s, const LoadAllReport& report, const LibraryBuffer& library) {
    const auto entries = libraryEntries(library);
    const Channel channel = s.state.UsbActive ? Channel::Usb : s.state.EthernetActive ? Channel::Ethernet : Channel::Serial;
    LibraryWindowState scratch;  // a read-back must not re-open libraries while we compare
    bool allSame = true;
    for (const int k : report.writtenMemories) {
        const LibraryEntry& e = (*entries)[static_cast<std::size_t>(k - 1)];
        s.state.setProgramNumber(k);
        if (channel == Channel::Usb) s.link.usb.UsbConnect();
        const ReceiveResult r = ReceiveProgram(s.link, s.programImage, channel, static_cast<std::uint8_t>(k),
                                               s.receivedImage, scratch);
        if (channel == Channel::Usb) closeUsbIfOpen(s.link);
        std::string verdict = "same";
        if (!r.received) {
            verdict = "could not be read back";
        } else {
            // Only the bytes the unit sent are compared: the entry may be longer than the reply.
            const std::size_t common = std::min<std::size_t>(r.length, e.size());
            std::size_t differs = e.size();
            for (std::size_t i = 0; i < common && differs == e.size(); ++i)
                if (s.receivedImage[i] != library[e.offset + i]) differs = i;
            if (r.length != e.size() && differs == e.size()) differs = common;
            if (differs != e.size()) verdict = "differs from offset " + std::to_string(differs);
        }
        if (verdict != "same") allSame = false;
        std::fprintf(ctx.out, "verify memory %d: %s\n", k, verdict.c_str());
    }
    return allSame;
}

void printReport(Context& ctx, const LoadAllReport& r, const std::string& library) {
    if (ctx.args.flag("json")) {
        JsonWriter j(ctx.out);
        j.beginObject();
        j.field("library", library);
        j.field("programs", r.programs);
        j.array("written", r.writtenMemories);
        j.field("operatingSystem", r.operatingSystemSent);
        j.field("complete", r.complete());
        j.endObject();
        j.finish();
    } else if (r.complete()) {
        std::fprintf(ctx.out, "%s: memories 1 to %d written and the DSP Operating System updated%s\n", library.c_str(),
                     r.programs, untouchedMemories(r.programs).c_str());
    }
}

// One run on the unit now connected; the exit code.
int loadAllOnce(Context& ctx, const FirmwareImage& firmware) {
    auto s = openSession(ctx);
    if (!connect(ctx, *s)) return kExitLinkFailed;
    if (const int code = chooseLibrary(ctx, *s); code != kExitOk) return code;
    s->libraryForm.showConnectFormModal = [&ctx] {
        std::fprintf(stderr, "(connect with --usb, --serial, --ethernet or --sim)\n");
        (void)ctx;
    };
    const LibraryBuffer library = s->libraryForm.buffer;
    const std::string name = s->libraryForm.openedFile;
    // Say exactly what is about to be written, before anything is.
    if (const auto shadow = shadowedLibrary(s->libraryForm)) ctx.ui.warning(*shadow);
    ctx.ui.message(MessageKind::Plain, Buttons::Ok, libraryToSend(s->libraryForm));
    const LoadAllReport report = s->libraryForm.Send1Click(firmware);
    ctx.ui.finishProgress();
    printReport(ctx, report, name);
    if (!report.complete()) return kExitLinkFailed;
    if (ctx.args.flag("verify") && !verify(ctx, *s, report, library)) return kExitLinkFailed;
    return kExitOk;
}

volatile std::sig_atomic_t stopRequested = 0;

// Waits for the next cabinet: at a terminal the installer says when; on a USB bridge the
// bridge going away and coming back is the sign; otherwise the next one is there at once.
bool waitForNextUnit(Context& ctx) {
    if (ctx.ui.options().interactive) {
        std::fprintf(stderr, "Connect the next cabinet and press Enter (q and Enter to stop): ");
        char line[16];
        return std::fgets(line, sizeof line, stdin) && line[0] != 'q' && !stopRequested;
    }
    if (ctx.link.kind != LinkKind::USB || ctx.link.sim) return !stopRequested;
    auto present = [&] {
        auto channel = ttyLocator(ctx.link.usbDevice)(0);
        return channel && channel->open();
    };
    std::fprintf(stderr, "Waiting for the next cabinet: unplug this one's USB and plug in the next\n");
    for (bool gone = false; !stopRequested; std::this_thread::sleep_for(std::chrono::milliseconds(500))) {
        const bool here = present();
        if (!here) gone = true;
        if (gone && here) return true;
    }
    return false;
}

int loadAllRepeat(Context& ctx, const FirmwareImage& firmware) {
    const long limit = ctx.args.integer("count").value_or(0);
    stopRequested = 0;
    auto previous = std::signal(SIGINT, [](int) { stopRequested = 1; });
    int done = 0, failed = 0;
    for (;;) {
        const int code = loadAllOnce(ctx, firmware);
        (code == kExitOk ? done : failed)++;
        std::fprintf(stderr, "Units done: %d, failed: %d\n", done, failed);
        if (code == kExitUsage || code == kExitBadInput) break;  // the next unit would fail the same way
        if ((limit > 0 && done + failed >= limit) || !waitForNextUnit(ctx)) break;
    }
    std::signal(SIGINT, previous);
    std::fprintf(ctx.out, "units done: %d, failed: %d\n", done, failed);
    return failed == 0 ? kExitOk : kExitLinkFailed;
}

}  // namespace

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
        std::fprintf(ctx.out, "%2d  %-13s %-12s %s\n", ModelCatalogue::modelCode(r), std::string(rows[r].name).c_str(),
                     std::string(rows[r].libraryFile).c_str(), std::string(rows[r].manualFile).c_str());
    return kExitOk;
}

int runLibrary(Context& ctx) {
    const std::string sub = ctx.args.positional.empty() ? "" : ctx.args.positional[0];
    if (sub == "show") return libraryShow(ctx);
    if (sub == "build") return libraryBuild(ctx);
    throw std::invalid_argument("usage: velaupdate library show FILE.HLB | library build --out FILE.HLB [--model NAME] PRESET.hdp...");
}

int runLoadAll(Context& ctx) {
    if (!ctx.args.positional.empty()) throw std::invalid_argument("load-all takes no arguments (see --help)");
    if (ctx.args.has("model") && ctx.args.has("library")) throw std::invalid_argument("give --model or --library, not both");
    const auto firmware = firmwareFromOptions(ctx, "load-all");
    if (!firmware) return kExitBadInput;
    return ctx.args.flag("repeat") ? loadAllRepeat(ctx, *firmware) : loadAllOnce(ctx, *firmware);
}

}  // namespace vela::cli
