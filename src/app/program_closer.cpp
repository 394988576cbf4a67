#include "app/program_closer.h"

#include "app/qt_user_interface.h"
#include "app/session_worker.h"

#include <QCoreApplication>

namespace vela::app {

ProgramCloser::ProgramCloser(SessionWorker& worker, QtUserInterface& ui, QObject* parent)
    : QObject(parent),
      // Not QApplication::quit(): that first asks every window to close, and one that refuses
      // would keep the program alive.
      quit([] { QCoreApplication::exit(0); }),
      worker_(worker),
      ui_(ui) {
    connect(&worker_, &SessionWorker::idle, this, [this] {
        if (ending_ && !asking_) finish();
    });
}

void ProgramCloser::requestClose() {
    if (asking_) return;  // the question is on screen already
    asking_ = true;
    if (!ending_ && mayEnd && !mayEnd()) {
        asking_ = false;
        return;
    }
    // A short operation (a click's bookkeeping) is let end rather than asked about.
    constexpr int kShortOperationMs = 300;
    if (!ending_ && worker_.waitIdle(kShortOperationMs)) {
        asking_ = false;
        return finish();
    }
    // A second close while stopping asks to cut the step short, as a second Ctrl-C does.
    const bool stop = ui_.confirm(MessageKind::Warning, ending_ ? kCloseWhileStoppingQuestion : kCloseDuringRunQuestion);
    asking_ = false;
    if (stop) {
        ending_ = true;
        // Every session hears it: the unit's own and each cabinet of a whole-rig run.
        StopSource::process().request();
        // A run waiting for the connection window goes on without it and stops.
        worker_.stopServing();
        ui_.status(StatusField::LibraryInfo, kStoppingStatus);
    }
    // The run may have ended while the question was on screen.
    if (ending_ && !worker_.busy()) finish();
}

void ProgramCloser::finish() { quit(); }

}  // namespace vela::app
