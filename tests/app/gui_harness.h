#pragma once
// The desktop application against a simulated unit in this process, with a hand that answers
// every message box as the user would and remembers what each said.

#include "app/application.h"
#include "session/session.h"
#include "sim/in_process_unit.h"

#include <QAbstractButton>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <deque>
#include <functional>
#include <memory>

namespace vela::test {

struct GuiHarness;

// Answers the message boxes that appear, by the caption of a button ("Yes", "OK" by default).
class BoxAnswerer : public QObject {
public:
    BoxAnswerer();
    std::deque<QString> answers;  // next answers, in order
    QStringList texts;            // what every box said, in order
    bool said(const QString& text) const { return texts.contains(text); }

private:
    void answerOpenBoxes();
    QTimer timer_;
};

// Keeps the event loop running until `done` or the time-out; true when done.
bool waitFor(const std::function<bool()>& done, int timeoutMs = 20000);

// Finds a control of `window` by its accessible name or caption.
QWidget* control(QWidget* window, const QString& name);
// Clicks it with the mouse, as a user would.
void click(QWidget* widget);
// The library window's service unlock as a technician does it: four clicks on the logo, then
// the service code and Enter; the service column then shows.
void unlockService(GuiHarness& h);
// Saves the window as VELA_SCREENSHOT_DIR/name.png when that variable is set, for review.
void snapshot(QWidget* window, const QString& name);

struct GuiHarness {
    explicit GuiHarness(sim::SimOptions options = {}, app::GuiOptions gui = simulated());
    ~GuiHarness();

    static app::GuiOptions simulated();
    // Waits until every queued operation has ended.
    bool settle(int timeoutMs = 30000);
    std::vector<int> commandsSent();
    std::vector<int> memoriesWritten();

    std::shared_ptr<sim::InProcessUnit> unit;
    BoxAnswerer boxes;
    std::unique_ptr<app::Application> app;
};

app::TLoadAllMemForm* library(GuiHarness& h);
// Presses the connection window's USB button and waits for the connection to end.
void pressUsb(GuiHarness& h, int timeoutMs = 30000);

}  // namespace vela::test
