// The windows under a real X server and window manager, driven by real key presses (xdotool
// goes through the X server, so the window manager sees Alt+F4 as a user's). Run by
// run_under_xvfb.sh; skipped on other platforms.
#include "app/connect_form.h"
#include "app/em100_form.h"
#include "app/gui_harness.h"
#include "app/led_button.h"
#include "app/library_form.h"
#include "app/main_menu.h"
#include "app/rig_form.h"
#include "app/transfer_form.h"
#include "sim/udp_module_endpoint.h"

#include <QApplication>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>

#include <gtest/gtest.h>

namespace vela::test {
namespace {

bool realDisplay() {
    return QGuiApplication::platformName() == "xcb" && !QStandardPaths::findExecutable("xdotool").isEmpty();
}

#define REQUIRE_REAL_DISPLAY()                                                                          \
    if (!realDisplay()) GTEST_SKIP() << "needs an X server, a window manager and xdotool (run_under_xvfb.sh)"

void xdotool(const QStringList& args) {
    QProcess p;
    p.start("xdotool", args);
    ASSERT_TRUE(p.waitForFinished(10000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
}

// Makes `window` the one the keyboard talks to, through the window manager.
void activate(QWidget* window) {
    window->raise();
    window->activateWindow();
    xdotool({"windowactivate", "--sync", QString::number(window->winId())});
    ASSERT_TRUE(waitFor([&] { return QApplication::activeWindow() == window; }, 10000))
        << window->windowTitle().toStdString();
}

void pressKey(const QString& key) {
    xdotool({"key", "--clearmodifiers", key});
    QTest::qWait(100);  // the key reaches the window manager, then the window
}

// The top-level windows from bottom to top, as the window manager stacks them.
QList<WId> stacking() {
    QProcess p;
    p.start("xprop", {"-root", "_NET_CLIENT_LIST_STACKING"});
    p.waitForFinished(10000);
    QList<WId> ids;
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    for (const QString& word : out.section('#', 1).split(',', Qt::SkipEmptyParts))
        ids << word.trimmed().toULongLong(nullptr, 16);
    return ids;
}

sim::SimOptions slowUnit() {
    sim::SimOptions o;
    o.modelCode = 2;
    o.baud = 38400;
    return o;
}

TEST(RealInput, AltF4DuringARunAsksThenStopsAndEnds) {
    REQUIRE_REAL_DISPLAY();
    GuiHarness h(slowUnit());
    int ends = 0;
    h.app->windows().connect->closer().quit = [&ends] { ++ends; };
    pressUsb(h);
    auto* lib = h.app->windows().library;
    QWidget* update = control(lib, "Update M01");
    ASSERT_NE(update, nullptr);
    click(update);
    ASSERT_TRUE(waitFor([&] { return lib->TotalProgress->value() > 0; }));
    activate(lib);
    h.boxes.answers = {"Yes"};
    pressKey("alt+F4");
    ASSERT_TRUE(waitFor([&] { return ends == 1; }, 60000)) << h.boxes.texts.join(" | ").toStdString();
    EXPECT_EQ(h.boxes.texts.value(0), app::kCloseDuringRunQuestion);
    EXPECT_TRUE(h.boxes.texts.value(1).startsWith("The update was stopped.")) << h.boxes.texts.join(" | ").toStdString();
}

TEST(RealInput, AltF4OnTheProcessorWindowEndsTheProgram) {
    REQUIRE_REAL_DISPLAY();
    GuiHarness h;
    int ends = 0;
    h.app->windows().connect->closer().quit = [&ends] { ++ends; };
    h.app->windows().mainMenu->show();
    ASSERT_TRUE(h.settle());
    activate(h.app->windows().mainMenu);
    pressKey("alt+F4");
    EXPECT_TRUE(waitFor([&] { return ends == 1; }, 10000));
    EXPECT_TRUE(h.boxes.texts.isEmpty()) << h.boxes.texts.join(" | ").toStdString();
}

// Every control of `window` that Tab lands on in `presses` presses.
QList<QWidget*> tabRound(QWidget* window, int presses) {
    QList<QWidget*> reached;
    for (int i = 0; i < presses; ++i) {
        QWidget* before = QApplication::focusWidget();
        pressKey("Tab");
        // The key travels through the X server: wait for the focus to move on.
        waitFor([&] { return QApplication::focusWidget() != before; }, 3000);
        if (QWidget* f = QApplication::focusWidget(); f && f->window() == window) reached << f;
    }
    return reached;
}

TEST(RealInput, TabLandsOnlyOnControlsInSight) {
    REQUIRE_REAL_DISPLAY();
    GuiHarness h(slowUnit());
    auto* c = h.app->windows().connect;
    activate(c);
    const auto connectReached = tabRound(c, 8);
    EXPECT_TRUE(connectReached.contains(static_cast<QWidget*>(c->USBButton)));
    EXPECT_TRUE(connectReached.contains(static_cast<QWidget*>(c->EtherButton)));
    for (QWidget* w : connectReached) {
        EXPECT_TRUE(w->isVisible()) << w->objectName().toStdString();
        EXPECT_TRUE(c->rect().contains(w->mapTo(c, QPoint()))) << w->objectName().toStdString();
    }
    pressUsb(h);
    auto* lib = h.app->windows().library;
    activate(lib);
    const auto libraryReached = tabRound(lib, 30);
    for (QWidget* hidden : std::initializer_list<QWidget*>{lib->LoadDirectoryB, lib->MakeLibraryB, lib->UpdateDSP,
                                                           lib->ResetDSP})
        EXPECT_FALSE(libraryReached.contains(hidden)) << hidden->objectName().toStdString();
    for (QWidget* w : libraryReached)
        EXPECT_TRUE(lib->rect().contains(w->mapTo(lib, QPoint()))) << w->objectName().toStdString();
    // Once revealed, the service column joins the round.
    unlockService(h);
    activate(lib);
    EXPECT_TRUE(tabRound(lib, 40).contains(static_cast<QWidget*>(lib->UpdateDSP)));
}

bool onTopAndActive(QWidget* window) {
    const auto order = stacking();
    return !order.isEmpty() && order.last() == window->winId() && QApplication::activeWindow() == window;
}

TEST(RealInput, TheWindowAskedForIsOnTopAndActive) {
    REQUIRE_REAL_DISPLAY();
    sim::LoopbackUdpSocket nobody(0);  // the rig window's scan stays on this machine
    app::GuiOptions gui = GuiHarness::simulated();
    gui.broadcast = "127.0.0.1";
    gui.udpPort = nobody.port();
    GuiHarness h({}, gui);
    auto& w = h.app->windows();
    activate(w.connect);
    // ETHERNET brings up the library window too; the Ethernet window, asked for, is above it.
    click(control(w.connect, "ETHERNET"));
    ASSERT_TRUE(h.settle());
    ASSERT_TRUE(w.library->isVisible());
    EXPECT_TRUE(waitFor([&] { return onTopAndActive(w.ethernet); }, 10000));
    // Its "Whole rig" opens the rig window above it.
    click(w.ethernet->WholeRigB);
    EXPECT_TRUE(waitFor([&] { return onTopAndActive(w.ethernet->RigForm); }, 10000));
    // The processor window's ETHERNET brings it up again from behind.
    w.mainMenu->show();
    // It waits disabled while the rig window's scan runs.
    ASSERT_TRUE(waitFor([&] { return w.mainMenu->EthernetB->isVisible() && w.mainMenu->EthernetB->isEnabled(); }));
    activate(w.mainMenu);
    // A real click: the window manager lets the window it asks for take the keyboard.
    const QPoint at = w.mainMenu->EthernetB->mapToGlobal(w.mainMenu->EthernetB->rect().center());
    xdotool({"mousemove", QString::number(at.x()), QString::number(at.y()), "click", "1"});
    EXPECT_TRUE(waitFor([&] { return onTopAndActive(w.ethernet); }, 10000));
}

TEST(RealInput, TheWindowInUseIsOnTopAndTheTransferWindowStaysAboveTheLibrary) {
    REQUIRE_REAL_DISPLAY();
    app::GuiOptions gui = GuiHarness::simulated();
    gui.service = true;
    sim::SimOptions o = slowUnit();
    o.baud = 9600;  // the transfer window stays up for seconds
    GuiHarness h(o, gui);
    auto& w = h.app->windows();
    pressUsb(h);
    // The library window, where the user goes on, ends on top; the processor window is not
    // hidden behind it.
    EXPECT_TRUE(waitFor([&] { return stacking().value(stacking().size() - 1) == w.library->winId(); }, 10000));
    EXPECT_FALSE(w.library->frameGeometry().contains(w.mainMenu->frameGeometry()));

    QWidget* update = control(w.library, "Update M01");
    ASSERT_NE(update, nullptr);
    click(update);
    ASSERT_TRUE(waitFor([&] { return w.transfer->isVisible(); }));
    // Minimised and restored, the library window comes back under the transfer window.
    w.library->showMinimized();
    QTest::qWait(300);
    w.library->showNormal();
    activate(w.library);
    const auto transferAbove = [&] {
        const auto order = stacking();
        return order.indexOf(w.transfer->winId()) > order.indexOf(w.library->winId());
    };
    // Unless the run has closed the transfer window meanwhile.
    EXPECT_TRUE(waitFor([&] { return !w.transfer->isVisible() || transferAbove(); }, 3000));
    EXPECT_TRUE(w.transfer->isVisible()) << "the run ended before the check";
    h.app->ui().stop.request();  // no need to write the rest
    ASSERT_TRUE(h.settle(120000));
}

}  // namespace
}  // namespace vela::test
