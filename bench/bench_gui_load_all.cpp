// A whole load-all run started from the library window: the session works on its worker
// thread against the simulated unit on a pseudo-terminal emulating 57600 baud, while the GUI
// thread runs its event loop. Prints the ratio of the run's time to the wire time of all its
// bytes, and the longest the GUI thread went without handling its heartbeat timer.
#include "app/application.h"
#include "bench_support.h"
#include "session/session.h"
#include "sim/pty_endpoint.h"
#include "sim/simulated_unit.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

constexpr int kBaud = 57600;
constexpr int kRuns = 3;

// Closes every message box as soon as it shows, and notes when the first one did.
void answerBoxes(QElapsedTimer& clock, qint64& firstBoxAt) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (!box || !box->isVisible()) continue;
        if (firstBoxAt < 0) firstBoxAt = clock.elapsed();
        box->buttons().front()->click();
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    vela::sim::SimOptions options;
    options.baud = kBaud;
    vela::sim::SimulatedUnit unit(options);
    vela::sim::PtyEndpoint pty(unit);

    vela::app::GuiOptions gui;
    gui.link.sim = true;  // the built-in operating system may go to the simulated unit
    vela::app::Application window(gui, [&pty](vela::UserInterface& ui) {
        return std::make_unique<vela::Session>(ui, vela::bench::usbDevicesAt(pty.path()));
    });
    const vela::LibraryBuffer library = vela::bench::thirteenPrograms();

    std::vector<double> ratios;
    qint64 worstGap = 0;
    for (int run = 0; run < kRuns; ++run) {
        window.worker().run([&library](vela::Session& s) {
            s.libraryForm.buffer = library;
            s.state.Link = vela::LinkKind::USB;
            s.state.UsbActive = true;
        });
        window.worker().waitIdle(10000);
        const long before = unit.exchangeCount();

        QElapsedTimer clock;
        qint64 firstBoxAt = -1;
        QTimer boxes;
        QObject::connect(&boxes, &QTimer::timeout, [&] { answerBoxes(clock, firstBoxAt); });
        boxes.start(5);
        QElapsedTimer beat;
        QTimer heartbeat;
        QObject::connect(&heartbeat, &QTimer::timeout, [&] { worstGap = std::max(worstGap, beat.restart()); });
        clock.start();
        beat.start();
        heartbeat.start(5);
        window.worker().run([&window](vela::Session& s) { vela::loadAllMemories(s, window.firmware()); });
        window.worker().waitIdle(600000);
        heartbeat.stop();
        boxes.stop();
        // The run ends when its closing message appears.
        const double seconds = double(firstBoxAt >= 0 ? firstBoxAt : clock.elapsed()) / 1000.0;
        unit.waitIdle(std::chrono::seconds(10));

        const auto [exchanges, wireBytes] = vela::bench::wireSince(unit, before);
        const double wire = double(wireBytes) * 10.0 / kBaud;
        ratios.push_back(seconds / wire);
        std::printf("GUI load-all of 13 programs + operating system: %zu exchanges, %zu wire bytes, wire %.2f s, "
                    "measured %.2f s, ratio %.3f\n",
                    exchanges, wireBytes, wire, seconds, seconds / wire);
    }
    std::sort(ratios.begin(), ratios.end());
    std::printf("median ratio %.3f (goal: at most 1.10); worst gap between GUI heartbeats %lld ms (goal: under "
                "100 ms)\n",
                ratios[ratios.size() / 2], static_cast<long long>(worstGap));
    return 0;
}
