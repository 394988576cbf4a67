#include "session/identify.h"

#include "session/guarded.h"
#include "session/operations.h"
#include "session/session.h"

namespace vela {

MemoryRead identifyUnit(Session& s) {
    s.state.LibraryLoadLocked = true;
    s.libraryWindow.lockedByUnit = false;
    MemoryRead read = readMemory(s, s.state.ProgramNumber);
    applyReadBack(s, read);
    return read;
}

OperationResult identifyConnectedUnit(Session& s) {
    return guarded(s, [&] {
        const MemoryRead read = identifyUnit(s);
        if (read.content != MemoryContent::Unread) return OperationResult::Done;
        if (!read.silentAfterEmpty) s.ui.error(read.failure);
        return OperationResult::Failed;
    });
}

OperationResult connectAndIdentify(Session& s, const LinkOptions& link) {
    if (link.kind == LinkKind::Offline) return OperationResult::Done;
    if (link.kind == LinkKind::USB) {
        const OperationResult r = connectUsb(s);
        if (r != OperationResult::Done) return r;
        return s.state.UsbActive ? OperationResult::Done : OperationResult::Failed;
    }
    activateLink(s, link);
    const OperationResult probe = probeUnit(s);
    if (probe != OperationResult::Done || link.kind != LinkKind::Ethernet) return probe;
    return identifyConnectedUnit(s);
}

void applyReadBack(Session& s, const MemoryRead& read) {
    switch (read.content) {
    case MemoryContent::Program:
        ApplyReceivedImage(read.program, s.libraryWindow);
        break;
    case MemoryContent::Empty:
        s.state.LibraryLoadLocked = false;
        s.libraryWindow.lockedByUnit = false;
        s.libraryWindow.modelListEnabled = true;
        break;
    case MemoryContent::Unread:
        if (read.silentAfterEmpty && s.state.UsbActive) {
            s.ui.message(MessageKind::Plain, Buttons::Ok,
                         "This is not a HALDA40 processor, It cannot communicate.");
            s.ui.status(StatusField::InfoLabel, "Status : Offline");
            s.link.runOfflineAction();
        }
        break;
    }
}

} // namespace vela
