// probe, read, write, change and copy-all: the commands that move programs to and from the
// unit's memories.
#include "cli/commands.h"
#include "core/exit_codes.h"
#include "cli/json.h"
#include "cli/link_selection.h"
#include "cli/output_file.h"
#include "cli/preset_cli.h"
#include "cli/session_factory.h"
#include "core/input_file.h"
#include "core/text_display.h"
#include "library/model_catalogue.h"
#include "link/send_program.h"
#include "session/identify.h"
#include "session/operations.h"
#include "platform/utf8_paths.h"

#include <fstream>
#include <span>
#include <stdexcept>

namespace vela::cli {
namespace {

// Reads a program image file (its 2-byte length field L, then L bytes) into the buffer.
bool loadProgramImage(const std::string& path, ProgramImage& image, std::string& error) {
    // One byte more than the buffer: a longer file is refused by its size.
    const auto read = readInputFile(platform::pathFromUtf8(path), image.size() + 1, error);
    if (!read) return false;
    const std::vector<std::uint8_t>& bytes = *read;
    if (bytes.size() < 2 || bytes.size() > image.size()) {
        error = path + ": not a program image (" + (bytes.size() > image.size() ? "over " : "") +
                std::to_string(bytes.size() > image.size() ? image.size() : bytes.size()) + " bytes)";
        return false;
    }
    const std::size_t length = std::size_t(bytes[0]) << 8 | bytes[1];
    if (length + 2 != bytes.size()) {
        error = path + ": its length field says " + std::to_string(length) + " bytes follow, the file has " +
                std::to_string(bytes.size() - 2);
        return false;
    }
    std::copy(bytes.begin(), bytes.end(), image.begin());
    return true;
}

// write and copy-all send --image FILE or --preset FILE.hdp; checked before the unit is touched.
void needImageOption(const Context& ctx) {
    if (!ctx.args.has("image") && !ctx.args.has("preset"))
        throw std::invalid_argument("give the program image: --image FILE or --preset FILE.hdp");
}

// Puts that image into the session's transmit buffer; false after saying why not.
bool loadImageOption(const Context& ctx, Session& s, const char* command) {
    if (const auto preset = ctx.args.value("preset")) return imageFromPreset(s, *preset);
    std::string error;
    if (loadProgramImage(*ctx.args.value("image"), s.programImage, error)) return true;
    std::fprintf(stderr, "velaupdate %s: %s\n", command, error.c_str());
    return false;
}

// The program name of an image: bytes 12 to 51, without the padding, shown safely.
std::string programName(std::span<const std::uint8_t> image, std::size_t length) {
    if (length < 52 || image.size() < 52) return {};
    return unitName(std::string_view(reinterpret_cast<const char*>(image.data()) + 12, 40));
}

std::string modelName(int row) {
    if (row < 0 || static_cast<std::size_t>(row) >= kModelCount) return {};
    return std::string(ModelCatalogue::rows()[static_cast<std::size_t>(row)].name);
}

// After a successful write: which image went where, so that the run says what it did.
int reportWritten(const Context& ctx, const Session& s, OperationResult outcome,
                  const std::string& memories) {
    if (outcome == OperationResult::Done && !ctx.args.flag("quiet")) {
        const auto length = programImageLength(s.programImage).value_or(0);
        const std::string source = ctx.args.value("preset").value_or(ctx.args.value("image", ""));
        ctx.out.print("%s: wrote %s (%u bytes, program \"%s\")\n", memories.c_str(), source.c_str(),
                      static_cast<unsigned>(length), programName(s.programImage, length).c_str());
    }
    return exitCode(outcome);
}

// Over USB and Ethernet the probe is followed by the identification: the read-back of the
// current memory and the model code it carries.
void printIdentified(Context& ctx, const Session& s, Channel channel, bool answered) {
    const auto& lib = s.libraryWindow;
    const bool unitEmpty = !s.state.LibraryLoadLocked;
    const int code = static_cast<std::int8_t>(s.receivedImage[4]);
    const std::string link(channelName(channel));
    if (ctx.args.flag("json")) {
        JsonWriter j(ctx.out);
        j.beginObject();
        j.field("link", link);
        j.field("answered", answered);
        if (answered) {
            j.field("unitEmpty", unitEmpty);
            if (!unitEmpty) j.field("modelCode", code);
            j.field("modelListEnabled", lib.modelListEnabled);
            if (lib.selectedRow >= 0) {
                j.field("modelRow", lib.selectedRow);
                j.field("model", modelName(lib.selectedRow));
            }
        }
        j.endObject();
        j.finish();
    } else if (answered) {
        ctx.out.print("HALDA40 answers on %s\n", link.c_str());
        if (unitEmpty)
            ctx.out.print("memory %d holds no program: the model list is free\n",
                          s.state.ProgramNumber);
        else if (!lib.modelListEnabled && lib.selectedRow >= 0)
            ctx.out.print("model code %d: %s (the model list is locked to it)\n", code,
                          modelName(lib.selectedRow).c_str());
        else if (!lib.modelListEnabled)
            ctx.out.print("model code %d: no model of this catalogue (the model list is locked)\n",
                          code);
        else
            ctx.out.print("model code %d: no model of its own (the model list is free)\n", code);
    }
}

} // namespace

int runProbe(Context& ctx) {
    const StopRequest::Listening listening(ctx.ui.stop);
    if (!ctx.args.positional.empty())
        throw std::invalid_argument("probe takes no argument: " + ctx.args.positional.front());
    auto s = openSession(ctx);
    if (ctx.link.kind == LinkKind::Offline) return selectLink(ctx, *s) ? kExitOk : kExitUsage;
    if (ctx.link.kind == LinkKind::USB) {
        // A failed read-back has been said and has taken the session offline.
        connectUsb(*s);
        const bool answered = s->state.UsbActive && s->state.Link == LinkKind::USB;
        printIdentified(ctx, *s, Channel::Usb, answered);
        return answered ? kExitOk : kExitLinkFailed;
    }
    if (!selectLink(ctx, *s)) return kExitUsage;
    OperationResult probe = probeUnit(*s);
    if (ctx.link.kind == LinkKind::Ethernet) {
        if (probe == OperationResult::Done) probe = identifyConnectedUnit(*s);
        printIdentified(ctx, *s, Channel::Ethernet, probe == OperationResult::Done);
        return exitCode(probe);
    }
    const bool answered = probe == OperationResult::Done;
    if (ctx.args.flag("json")) {
        JsonWriter j(ctx.out);
        j.beginObject();
        j.field("link", std::string(channelName(Channel::Serial)));
        j.field("answered", answered);
        j.endObject();
        j.finish();
    } else if (answered) {
        ctx.out.print("HALDA40 answers on %s\n", std::string(channelName(Channel::Serial)).c_str());
    }
    return exitCode(probe);
}

int runRead(Context& ctx) {
    const StopRequest::Listening listening(ctx.ui.stop);
    const int memory = memoryArgument(ctx, "read");
    if (const auto out = ctx.args.value("out");
        out && !outputAllowed(ctx, "read", *out, FileKind::ProgramImage))
        return kExitBadInput;
    auto s = openSession(ctx);
    if (!selectLink(ctx, *s)) return kExitUsage;
    s->state.setProgramNumber(memory);
    const ProgramRead read = readProgram(*s);
    ctx.ui.finishProgress();
    if (read.result != OperationResult::Done) return exitCode(read.result);
    const MemoryRead& r = read.program;
    const bool received = r.content == MemoryContent::Program;
    const auto length = static_cast<unsigned>(r.program.size());
    const int code = length > 4 ? static_cast<std::int8_t>(r.program[4]) : 0;
    const std::string name = programName(r.program, length);
    if (const auto out = ctx.args.value("out"); out && received) {
        std::ofstream file(platform::pathFromUtf8(*out), std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(r.program.data()), static_cast<std::streamsize>(length));
        if (!file) {
            std::fprintf(stderr, "velaupdate read: %s: cannot be written\n", out->c_str());
            return kExitBadInput;
        }
    }
    if (ctx.args.flag("json")) {
        JsonWriter j(ctx.out);
        j.beginObject();
        j.field("memory", memory);
        j.field("program", received);
        if (received) {
            j.field("length", static_cast<int>(length));
            if (length > 4) j.field("modelCode", code);
            j.field("name", name);
        }
        j.endObject();
        j.finish();
    } else if (!received) {
        ctx.out.print("memory %d: no program\n", memory);
    } else {
        ctx.out.print("memory %d: %u bytes\n", memory, length);
        if (length > 4) ctx.out.print("model code: %d\n", code);
        ctx.out.print("name: %s\n", name.c_str());
    }
    return kExitOk;
}

int runWrite(Context& ctx) {
    const StopRequest::Listening listening(ctx.ui.stop);
    const int memory = memoryArgument(ctx, "write");
    needImageOption(ctx);
    auto s = openSession(ctx);
    if (!loadImageOption(ctx, *s, "write")) return kExitBadInput;
    if (!selectLink(ctx, *s)) return kExitUsage;
    s->state.setProgramNumber(memory);
    return reportWritten(ctx, *s, writeProgram(*s), "memory " + std::to_string(memory) + " (now current)");
}

int runChange(Context& ctx) {
    const StopRequest::Listening listening(ctx.ui.stop);
    const int memory = memoryArgument(ctx, "change");
    auto s = openSession(ctx);
    if (!selectLink(ctx, *s)) return kExitUsage;
    s->state.setProgramNumber(memory);
    return exitCode(changeProgram(*s));
}

int runCopyAll(Context& ctx) {
    const StopRequest::Listening listening(ctx.ui.stop);
    needImageOption(ctx);
    if (refuseEthernet(ctx, "copy-all")) return kExitUsage;
    auto s = openSession(ctx);
    if (!loadImageOption(ctx, *s, "copy-all")) return kExitBadInput;
    if (!selectLink(ctx, *s)) return kExitUsage;
    return reportWritten(ctx, *s, copyProgramToAll(*s), "memories 1 to 13");
}

} // namespace vela::cli
