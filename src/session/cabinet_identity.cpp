#include "session/cabinet_identity.h"

#include "library/model_catalogue.h"
#include "session/guarded.h"
#include "session/identify.h"
#include "session/link_choice.h"
#include "session/operations.h"
#include "session/session.h"

namespace vela {
namespace {

// A cabinet's work has nobody to ask: every question gets its safe answer, and the first
// thing said is kept as the reason when the work fails.
class CabinetUi : public GaugeKeeper {
public:
    std::string firstMessage;

    Answer message(MessageKind, Buttons buttons, std::string_view text) override {
        if (firstMessage.empty()) firstMessage = text;
        return safeAnswer(buttons);
    }
    void status(StatusField, std::string_view) override {}
    void showTransferWindow() override {}
    void closeTransferWindow() override {}
    void beep() override {}
    void pump() override { stop.checkpoint(*this); }
};

CabinetIdentity judge(const MemoryRead& read, const LibraryWindowState& library) {
    CabinetIdentity out;
    switch (read.content) {
    case MemoryContent::Empty: out.kind = CabinetIdentity::Kind::Empty; return out;
    case MemoryContent::Unread: out.reason = read.failure; return out;
    case MemoryContent::Program: break;
    }
    if (read.program.size() <= 4) {
        out.reason = "the unit sent a program too short to carry a model code";
        return out;
    }
    out.modelCode = read.program[4];
    out.locked = library.lockedByUnit;
    if (!out.locked) {
        out.kind = CabinetIdentity::Kind::NoModel;
    } else if (library.selectedRow >= 0) {
        out.kind = CabinetIdentity::Kind::Model;
        out.model = ModelCatalogue::rows()[static_cast<std::size_t>(library.selectedRow)].name;
    } else {
        out.kind = CabinetIdentity::Kind::OtherModel;
    }
    return out;
}

}  // namespace

std::string describe(const CabinetIdentity& identity) {
    switch (identity.kind) {
    case CabinetIdentity::Kind::Model: return identity.model;
    case CabinetIdentity::Kind::OtherModel: return "no model of this catalogue";
    case CabinetIdentity::Kind::NoModel: return "no model";
    case CabinetIdentity::Kind::Empty: return "empty";
    case CabinetIdentity::Kind::Unread: break;
    }
    return identity.reason;
}

namespace {

// A reason fills one row: the lines of a message become one.
std::string oneLine(std::string text) {
    for (std::size_t nl; (nl = text.find('\n')) != std::string::npos;) text.replace(nl, 1, "; ");
    return text;
}

CabinetIdentity readCabinet(const std::string& host, std::uint16_t port) {
    CabinetIdentity out;
    try {
        CabinetUi ui;
        LinkOptions link;
        link.kind = LinkKind::Ethernet;
        link.host = host;
        link.tcpPort = port;
        Session s(ui, tcpDevices());
        activateLink(s, link);
        if (probeUnit(s) != OperationResult::Done) {
            out.reason = ui.firstMessage.empty() ? "no answer from the unit" : ui.firstMessage;
            return out;
        }
        MemoryRead read;
        guardedStep(s, [&] { read = identifyUnit(s); });
        out = judge(read, s.libraryWindow);
        if (out.kind == CabinetIdentity::Kind::Unread && out.reason.empty())
            out.reason = ui.firstMessage.empty() ? "the unit's memory could not be read" : ui.firstMessage;
    } catch (const std::exception& e) {
        out = {};
        out.reason = e.what();
    }
    return out;
}

}  // namespace

CabinetIdentity identifyCabinet(const std::string& host, std::uint16_t port) {
    CabinetIdentity out = readCabinet(host, port);
    out.reason = oneLine(out.reason);
    return out;
}

}  // namespace vela
