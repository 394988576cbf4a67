#pragma once
// The windows' answer to the user interface. The procedures call it on the worker thread:
// questions are asked on the GUI thread in a message box while the worker waits for the
// answer; status texts, gauges, the transfer window and beeps travel as signals that the
// windows connect to.

#include "core/user_interface.h"

#include <QMetaType>
#include <QObject>
#include <QString>

#include <array>
#include <atomic>
#include <functional>
#include <mutex>

class QWidget;

namespace vela {
class RunLog;
}

Q_DECLARE_METATYPE(vela::StatusField)
Q_DECLARE_METATYPE(vela::Gauge)

namespace vela::app {

class QtUserInterface : public QObject, public GaugeKeeper {
    Q_OBJECT
public:
    explicit QtUserInterface(QObject* parent = nullptr);

    Answer message(MessageKind kind, Buttons buttons, std::string_view text) override;
    void status(StatusField field, std::string_view text) override;
    void showTransferWindow() override { emit transferWindowShown(); }
    void closeTransferWindow() override { emit transferWindowClosed(); }
    void beep() override { emit beeped(); }
    // The worker thread has nothing to pump: the GUI thread runs its own event loop. Called
    // on the GUI thread, it handles the pending events once.
    void pump() override;

    // Every question with its answer and every status text also go to `log` from now on.
    void setRunLog(RunLog* log);
    RunLog* runLog() const { return log_; }

    // A closing program asks nothing more: every question gets its safe answer at once.
    void setClosing() { closing_ = true; }

    // The window a message box belongs to; the active window when unset.
    std::function<QWidget*()> dialogParent;

signals:
    void statusChanged(vela::StatusField field, QString text);
    void gaugeChanged(vela::Gauge gauge, int position, int maximum);
    void transferWindowShown();
    void transferWindowClosed();
    void beeped();
    // A message box is about to be shown, and what it said once answered (for tests and logs).
    void messageShown(QString text);

private:
    Answer ask(MessageKind kind, Buttons buttons, const QString& text);
    // Gauges are set on the worker thread only; the windows hear them through gaugeChanged.
    void gaugeMoved(Gauge gauge) override { emit gaugeChanged(gauge, gaugePositionOf(gauge), gaugeMaximumOf(gauge)); }
    std::atomic<bool> closing_{false};
    // Questions are asked from both threads; the log takes one line at a time.
    std::mutex logMutex_;
    RunLog* log_ = nullptr;
};

}  // namespace vela::app
