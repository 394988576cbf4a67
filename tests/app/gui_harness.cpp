#include "app/gui_harness.h"

#include "app/connect_form.h"
#include "app/library_form.h"
#include "app/message_dialog.h"

#include <QAccessible>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace vela::test {

BoxAnswerer::BoxAnswerer() {
    connect(&timer_, &QTimer::timeout, this, &BoxAnswerer::answerOpenBoxes);
    timer_.start(10);
}

void BoxAnswerer::answerOpenBoxes() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<app::MessageDialog*>(w);
        if (!box || !box->isVisible()) continue;
        texts << box->text();
        const QString wanted = answers.empty() ? QString() : answers.front();
        if (!answers.empty()) answers.pop_front();
        QAbstractButton* chosen = nullptr;
        for (QAbstractButton* b : box->buttons()) {
            const QString caption = b->text().remove('&');
            if (caption == wanted || (wanted.isEmpty() && (caption == "Yes" || caption == "OK"))) chosen = b;
        }
        if (!chosen) chosen = box->buttons().front();
        chosen->click();
    }
}

bool waitFor(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    // A timer wakes the loop now and then to look at the condition; no busy polling.
    QTimer tick;
    tick.start(10);
    while (!done()) {
        if (timer.elapsed() > timeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

QWidget* control(QWidget* window, const QString& name) {
    for (QWidget* w : window->findChildren<QWidget*>()) {
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
        if (a && a->text(QAccessible::Name) == name) return w;
    }
    return nullptr;
}

void click(QWidget* widget) {
    ASSERT_NE(widget, nullptr) << "no such control to click";
    QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
}

void unlockService(GuiHarness& h) {
    auto* lib = h.app->windows().library;
    for (int i = 0; i < 4; ++i) {
        click(lib->LOGOImage);
        ASSERT_TRUE(h.settle());
    }
    ASSERT_TRUE(lib->Password_Edit->isVisible());
    QTest::keyClicks(lib->Password_Edit, QString::fromStdString(h.app->worker().session().libraryForm.ServiceCode));
    QTest::keyClick(lib->Password_Edit, Qt::Key_Return);
    ASSERT_TRUE(h.settle());
    ASSERT_TRUE(lib->UpdateDSP->isVisible());
}

void snapshot(QWidget* window, const QString& name) {
    const QString dir = qEnvironmentVariable("VELA_SCREENSHOT_DIR");
    if (!dir.isEmpty()) window->grab().save(dir + "/" + name + ".png");
}

app::GuiOptions GuiHarness::simulated() {
    app::GuiOptions o;
    o.link.sim = true;
    return o;
}

GuiHarness::GuiHarness(sim::SimOptions options, app::GuiOptions gui)
    : unit(std::make_shared<sim::InProcessUnit>(std::move(options))) {
    app = std::make_unique<app::Application>(std::move(gui), [u = unit](UserInterface& ui) {
        auto s = std::make_unique<Session>(ui, sim::inProcessDevices(u));
        s->libraryForm.dataDirectories = {VELA_LIBRARIES};
        return s;
    });
    settle();
}

GuiHarness::~GuiHarness() { app.reset(); }

bool GuiHarness::settle(int timeoutMs) { return app->worker().waitIdle(timeoutMs); }

std::vector<int> GuiHarness::commandsSent() {
    unit->unit().waitIdle(std::chrono::seconds(5));
    std::vector<int> codes;
    for (const auto& r : unit->unit().records())
        if (r.kind == "exchange") codes.push_back(r.command);
    return codes;
}

std::vector<int> GuiHarness::memoriesWritten() {
    unit->unit().waitIdle(std::chrono::seconds(5));
    std::vector<int> memories;
    for (const auto& r : unit->unit().records())
        if (r.kind == "exchange" && r.command == 3 && r.outcome == "ok") memories.push_back(r.program);
    return memories;
}

app::TLoadAllMemForm* library(GuiHarness& h) { return h.app->windows().library; }

void pressUsb(GuiHarness& h, int timeoutMs) {
    QWidget* usb = control(h.app->windows().connect, "USB");
    ASSERT_NE(usb, nullptr);
    ASSERT_TRUE(usb->isVisible());
    click(usb);
    ASSERT_TRUE(h.settle(timeoutMs));
}

}  // namespace vela::test
