#pragma once
// One window at a time, for the windows' own tests: the worker with a session whose links all
// lead to a simulated unit in this process, the Qt user interface, the options, and the hand
// that answers the message boxes the procedures ask on the GUI thread.

#include "app/app_context.h"
#include "app/gui_options.h"
#include "app/qt_user_interface.h"
#include "app/session_worker.h"
#include "app/gui_harness.h"
#include "app/window_set.h"
#include "session/firmware_choice.h"
#include "session/preset_document.h"
#include "session/session.h"
#include "sim/in_process_unit.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QAccessible>

#include <gtest/gtest.h>
#include <atomic>
#include <memory>
#include <vector>

namespace vela::test {

inline QString accessibleNameOf(QWidget* w) {
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
    return a ? a->text(QAccessible::Name) : QString();
}

// The controls the Tab key reaches in `window`, in order (a spin box's own edit counts as the
// spin box).
inline std::vector<QWidget*> keyboardOrder(QWidget* window) {
    std::vector<QWidget*> chain;
    QWidget* w = window->nextInFocusChain();
    for (int guard = 0; w != window && guard < 500; ++guard, w = w->nextInFocusChain())
        if (w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus) &&
            !qobject_cast<QAbstractSpinBox*>(w->parentWidget()))
            chain.push_back(w);
    return chain;
}

// Every control the keyboard reaches has a name; a button's name is its caption.
inline void expectNamedControls(QWidget* window) {
    for (QWidget* c : keyboardOrder(window)) {
        EXPECT_FALSE(accessibleNameOf(c).isEmpty()) << c->metaObject()->className();
        if (auto* b = qobject_cast<QAbstractButton*>(c)) {
            EXPECT_EQ(accessibleNameOf(b), b->text().remove('&'));
        }
    }
}

struct WindowHarness {
    explicit WindowHarness(sim::SimOptions simOptions = {})
        : unit(std::make_shared<sim::InProcessUnit>(std::move(simOptions))),
          worker(std::make_unique<app::SessionWorker>([this] {
              LinkDevices devices = sim::inProcessDevices(unit);
              devices.usb = [usb = std::move(devices.usb), plugged = usbPlugged](int index) {
                  return plugged->load() ? usb(index) : nullptr;
              };
              return std::make_unique<Session>(ui, std::move(devices));
          })) {}
    ~WindowHarness() { worker->waitIdle(10000); }

    // Waits until the operations queued so far have ended.
    void settle(int timeoutMs = 10000) { worker->waitIdle(timeoutMs); }
    const Session& session() const { return worker->session(); }

    app::QtUserInterface ui;
    // False: the bridge is pulled out, and opening it fails as an unplugged one does.
    std::shared_ptr<std::atomic<bool>> usbPlugged = std::make_shared<std::atomic<bool>>(true);
    std::shared_ptr<sim::InProcessUnit> unit;
    std::unique_ptr<app::SessionWorker> worker;
    app::GuiOptions options;
    app::WindowSet windows;
    PresetDocument document{ui};
    app::AppContext context{*worker, ui, options, &windows, document};
    // The built-in operating system, bound for the simulated unit.
    FirmwareChoice firmware = chooseFirmware(std::nullopt, true, false);
    BoxAnswerer answerer;
};

}  // namespace vela::test
