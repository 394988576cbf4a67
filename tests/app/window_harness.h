#pragma once
// What a window test needs (the test main has made the QApplication): the worker with a session whose links all lead to a simulated
// unit in this process, the Qt user interface, the options, and a way to answer the message
// boxes the procedures ask on the GUI thread.

#include "app/app_context.h"
#include "app/gui_options.h"
#include "app/qt_user_interface.h"
#include "app/session_worker.h"
#include "app/window_set.h"
#include "session/session.h"
#include "sim/in_process_unit.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <deque>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace vela::test {

// Answers every message box that opens with the next caption queued (OK or Yes when none is
// queued) and keeps what they said.
class MessageAnswerer : public QObject {
public:
    MessageAnswerer() {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, this, [this] { answerOpenBox(); });
        timer_.start();
    }

    std::deque<QString> answers;
    std::vector<QString> texts;

    bool said(const QString& text) const { return std::find(texts.begin(), texts.end(), text) != texts.end(); }

private:
    void answerOpenBox() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible()) return;
        texts.push_back(box->text());
        QString wanted;
        if (!answers.empty()) {
            wanted = answers.front();
            answers.pop_front();
        }
        for (QAbstractButton* b : box->buttons()) {
            const QString caption = b->text().remove('&');
            const bool fallback = wanted.isEmpty() && (caption == "OK" || caption == "Yes");
            if (caption == wanted || fallback) {
                b->click();
                return;
            }
        }
        box->buttons().front()->click();
    }

    QTimer timer_;
};

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
          worker(std::make_unique<app::SessionWorker>(
              [this] { return std::make_unique<Session>(ui, sim::inProcessDevices(unit)); })) {}
    ~WindowHarness() { worker->waitIdle(10000); }

    // Waits until the operations queued so far have ended.
    void settle(int timeoutMs = 10000) { worker->waitIdle(timeoutMs); }
    const Session& session() const { return worker->session(); }

    app::QtUserInterface ui;
    std::shared_ptr<sim::InProcessUnit> unit;
    std::unique_ptr<app::SessionWorker> worker;
    app::GuiOptions options;
    app::WindowSet windows;
    app::AppContext context{*worker, ui, options, &windows};
    MessageAnswerer answerer;
};

}  // namespace vela::test
