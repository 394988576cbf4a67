// The windows as a whole: every close ends the program (asking first during a run), controls
// outside a window are out of reach until revealed, nothing pressed during a run is replayed
// after it, and the windows stay on the screen.
#include "app/connect_form.h"
#include "app/em100_form.h"
#include "app/gui_harness.h"
#include "app/gui_options.h"
#include "app/led_button.h"
#include "app/library_form.h"
#include "app/main_menu.h"
#include "session/session.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

namespace vela::test {
namespace {

sim::SimOptions slowUnit() {
    sim::SimOptions o;
    o.modelCode = 2;
    o.baud = 38400;  // a run long enough to be closed in the middle
    return o;
}

// Replaces the program's end with a count, so that the test goes on after it.
struct EndWatch {
    explicit EndWatch(GuiHarness& h) { h.app->windows().connect->closer().quit = [this] { ++ends; }; }
    int ends = 0;
};

void startUpdate(GuiHarness& h) {
    pressUsb(h);
    QWidget* update = control(h.app->windows().library, "Update M01");
    ASSERT_NE(update, nullptr);
    click(update);
    // The first memory is on its way.
    ASSERT_TRUE(waitFor([&] { return h.app->windows().library->TotalProgress->value() > 0; }));
}

// Tab's way through a window: the visible, enabled controls that take focus by Tab.
std::vector<QWidget*> tabChain(QWidget* window) {
    std::vector<QWidget*> chain;
    QWidget* w = window->nextInFocusChain();
    for (int guard = 0; w != window && guard < 500; ++guard, w = w->nextInFocusChain())
        if (w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus)) chain.push_back(w);
    return chain;
}

bool inChain(QWidget* window, QWidget* control) {
    const auto chain = tabChain(window);
    return std::find(chain.begin(), chain.end(), control) != chain.end();
}

// What a screen reader's "press" does to a control.
void pressByAssistiveTool(QWidget* control) {
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(control);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(a->actionInterface(), nullptr);
    a->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QTest::qWait(300);  // an accessible press clicks after a short animation
}

TEST(Closing, EveryWayOfClosingAMainWindowEndsTheIdleProgram) {
    GuiHarness h;
    EndWatch end(h);
    auto& w = h.app->windows();
    w.library->show();
    w.mainMenu->show();
    // Close icons.
    for (QWidget* window : std::initializer_list<QWidget*>{w.connect, w.library, w.mainMenu}) {
        QWidget* icon = control(window, "Close");
        ASSERT_NE(icon, nullptr) << window->windowTitle().toStdString();
        const int before = end.ends;
        click(icon);
        EXPECT_EQ(end.ends, before + 1) << window->windowTitle().toStdString();
    }
    // The window manager's close (Alt+F4) of each, the hidden connection window's included.
    w.connect->hide();
    for (QWidget* window : std::initializer_list<QWidget*>{w.connect, w.library, w.mainMenu}) {
        EndWatch again(h);
        QCloseEvent close;
        QApplication::sendEvent(window, &close);
        EXPECT_FALSE(close.isAccepted()) << "the window stays until the program ends";
        EXPECT_EQ(again.ends, 1) << window->windowTitle().toStdString();
    }
    EXPECT_TRUE(h.boxes.texts.isEmpty()) << h.boxes.texts.join(" | ").toStdString();
}

TEST(Closing, DuringARunAsksThenStopsAfterTheCurrentStepAndSaysWhatWasWritten) {
    GuiHarness h(slowUnit());
    EndWatch end(h);
    startUpdate(h);
    h.boxes.answers = {"Yes"};
    QCloseEvent close;
    QApplication::sendEvent(h.app->windows().library, &close);
    ASSERT_TRUE(waitFor([&] { return end.ends == 1; }, 60000));
    EXPECT_FALSE(h.app->worker().busy());
    EXPECT_EQ(h.boxes.texts.value(0), app::kCloseDuringRunQuestion);
    const QString summary = h.boxes.texts.value(1);
    EXPECT_TRUE(summary.startsWith("The update was stopped. Memories written: 1")) << summary.toStdString();
    EXPECT_TRUE(summary.contains("the DSP Operating System was not updated")) << summary.toStdString();
    const auto written = h.memoriesWritten();
    EXPECT_FALSE(written.empty());
    EXPECT_LT(written.size(), 5u);
    EXPECT_EQ(h.unit->unit().status().firmwareWrites, 0);
}

TEST(Closing, NoAtTheQuestionLetsTheRunFinish) {
    GuiHarness h(slowUnit());
    EndWatch end(h);
    startUpdate(h);
    h.boxes.answers = {"No"};
    click(control(h.app->windows().library, "Close"));
    ASSERT_TRUE(h.settle(120000));
    EXPECT_EQ(end.ends, 0);
    EXPECT_EQ(h.boxes.texts.value(0), app::kCloseDuringRunQuestion);
    EXPECT_TRUE(h.boxes.said("Turn Off and ON the cabinet.")) << h.boxes.texts.join(" | ").toStdString();
    EXPECT_EQ(h.memoriesWritten(), (std::vector<int>{1, 2, 3, 4, 5}));
}

TEST(Reach, ConnectionWindowOffersUsbAndEthernetOnlyAndTheRestIsOutOfReach) {
    GuiHarness h;
    auto* c = h.app->windows().connect;
    for (QWidget* inside : std::initializer_list<QWidget*>{c->USBButton, c->EtherButton}) {
        EXPECT_TRUE(inside->isVisible());
        EXPECT_TRUE(c->rect().contains(inside->geometry())) << inside->objectName().toStdString();
        EXPECT_TRUE(inChain(c, inside));
    }
    EXPECT_FALSE(c->USBButton->geometry().intersects(c->EtherButton->geometry()));
    for (QWidget* outside : std::initializer_list<QWidget*>{c->OffLineB, c->Com1B, c->Com2B, c->OKBoton}) {
        EXPECT_FALSE(outside->isVisible()) << outside->objectName().toStdString();
        EXPECT_FALSE(outside->isEnabled()) << outside->objectName().toStdString();
        EXPECT_FALSE(inChain(c, outside)) << outside->objectName().toStdString();
    }
    // Com1 pressed by an assistive tool used to hide every window.
    pressByAssistiveTool(c->Com1B);
    ASSERT_TRUE(h.settle());
    EXPECT_TRUE(c->isVisible());
    EXPECT_FALSE(h.app->windows().library->isVisible());
}

TEST(Reach, EthernetBesideUsbOpensTheModuleWindow) {
    GuiHarness h;
    auto* c = h.app->windows().connect;
    QWidget* ethernet = control(c, "ETHERNET");
    ASSERT_NE(ethernet, nullptr);
    click(ethernet);
    ASSERT_TRUE(h.settle());
    EXPECT_TRUE(h.app->worker().session().state.EthernetActive);
    EXPECT_TRUE(h.app->windows().ethernet->isVisible());
}

TEST(Reach, LibraryServiceColumnJoinsOnlyAfterTheServiceUnlock) {
    GuiHarness h(slowUnit());
    pressUsb(h);
    auto* lib = h.app->windows().library;
    const std::vector<QWidget*> service = {lib->LoadDirectoryB, lib->MakeLibraryB, lib->UpdateDSP, lib->ResetDSP};
    for (QWidget* s : service) {
        EXPECT_FALSE(s->isVisible()) << s->objectName().toStdString();
        EXPECT_FALSE(inChain(lib, s)) << s->objectName().toStdString();
    }
    // Update DSP pressed by an assistive tool used to rewrite the operating system unseen.
    pressByAssistiveTool(lib->UpdateDSP);
    ASSERT_TRUE(h.settle());
    EXPECT_EQ(h.unit->unit().status().firmwareWrites, 0);

    unlockService(h);
    for (QWidget* s : service) {
        EXPECT_TRUE(s->isVisible()) << s->objectName().toStdString();
        EXPECT_TRUE(lib->rect().contains(s->geometry().translated(s->parentWidget()->mapTo(lib, QPoint())))
                    ) << s->objectName().toStdString();
        EXPECT_TRUE(inChain(lib, s)) << s->objectName().toStdString();
    }
    EXPECT_TRUE(lib->rect().contains(control(lib, "Close")->geometry()));
    snapshot(lib, "library-service");
}

TEST(DuringARun, ConnectPressedIsNotReplayedAfterIt) {
    GuiHarness h(slowUnit());
    startUpdate(h);
    auto* lib = h.app->windows().library;
    EXPECT_FALSE(lib->ConnectB->isEnabled());
    EXPECT_FALSE(lib->Image1->isEnabled());
    auto* menu = h.app->windows().mainMenu;
    for (QWidget* b : std::initializer_list<QWidget*>{menu->ConnectButton, menu->CopyAllMem, menu->LoadAllMemB})
        EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();
    click(lib->ConnectB);
    ASSERT_TRUE(h.settle(120000));
    EXPECT_TRUE(h.boxes.said("Turn Off and ON the cabinet."));
    EXPECT_FALSE(h.app->windows().connect->isVisible());
    EXPECT_TRUE(lib->ConnectB->isEnabled());
    EXPECT_TRUE(menu->LoadAllMemB->isEnabled());
}

TEST(Screen, ServiceWindowsOpenWithoutHidingEachOtherAndInsideTheScreen) {
    app::GuiOptions gui = GuiHarness::simulated();
    gui.service = true;
    sim::SimOptions o;
    o.modelCode = 2;
    GuiHarness h(o, gui);
    pressUsb(h);
    auto& w = h.app->windows();
    ASSERT_TRUE(w.mainMenu->isVisible());
    ASSERT_TRUE(w.library->isVisible());
    const QRect area = w.library->screen()->availableGeometry();
    // On a screen that each window fills, one lies over the other whatever is done.
    if (w.library->height() < area.height() && w.mainMenu->height() < area.height()) {
        EXPECT_FALSE(w.library->frameGeometry().contains(w.mainMenu->frameGeometry()));
    }
    // Side by side where they fit; else the processor window, where the technician works, on top.
    if (w.mainMenu->width() + w.library->width() > area.width()) {
        EXPECT_TRUE(waitFor([&] { return QApplication::activeWindow() == w.mainMenu; }, 5000));
    } else {
        EXPECT_FALSE(w.library->frameGeometry().intersects(w.mainMenu->frameGeometry()));
    }
    for (QWidget* window : w.inCreationOrder) {
        if (window->isVisible()) {
            // A window manager places and sizes the window after it is shown.
            EXPECT_TRUE(waitFor([&] { return area.contains(window->windowHandle()->frameGeometry()); }, 3000))
                << window->windowTitle().toStdString();
        }
    }
}

// What every window's status line says of the link, read off the three windows.
QStringList statusLines(GuiHarness& h) {
    auto& w = h.app->windows();
    return {w.library->ConnectedL->text(), w.mainMenu->InfoLabel->text(), w.ethernet->StatusB->text()};
}

TEST(Status, EthernetChosenWithoutAModuleSaysNothingIsConnectedInEveryWindow) {
    GuiHarness h;
    auto& w = h.app->windows();
    click(control(w.connect, "ETHERNET"));
    ASSERT_TRUE(h.settle());
    ASSERT_TRUE(w.ethernet->isVisible());
    const QString notConnected = "Status : ETHERNET, not connected";
    EXPECT_EQ(statusLines(h), (QStringList{notConnected, notConnected, "offline"}));
    // Closed without connecting: still nothing connected.
    click(control(w.ethernet, "Close"));
    ASSERT_TRUE(h.settle());
    EXPECT_FALSE(w.ethernet->isVisible());
    EXPECT_EQ(statusLines(h), (QStringList{notConnected, notConnected, "offline"}));
    // USB afterwards: every line follows.
    w.connect->show();
    pressUsb(h);
    EXPECT_EQ(statusLines(h), (QStringList{"Status : USB", "Status : USB", "offline"}));
}

TEST(Status, AModuleThatWasConnectedIsNotShownConnectedWhenEthernetIsChosenAgainAfterALoss) {
    GuiHarness h;
    auto& w = h.app->windows();
    click(control(w.connect, "ETHERNET"));
    ASSERT_TRUE(h.settle());
    // As a connection to a module leaves it; then the link is lost.
    h.app->worker().run([](Session& s) {
        s.ethernetModule.view.statusB = "ETHERNET: Connected with UNIT1 from PC";
        s.link.DropLink();
    });
    ASSERT_TRUE(h.settle());
    EXPECT_FALSE(statusLines(h).join('|').contains("Connected with")) << statusLines(h).join(" | ").toStdString();
    w.connect->show();
    click(control(w.connect, "ETHERNET"));
    ASSERT_TRUE(h.settle());
    EXPECT_EQ(statusLines(h).value(0), "Status : ETHERNET, not connected");
    EXPECT_EQ(statusLines(h).value(2), "offline");
}

TEST(Options, TheWindowTakesLogAndNamesAnUnknownOptionInOneLine) {
    const app::GuiOptions o = app::parseGuiOptions(Args::parse(std::vector<std::string>{"--sim", "--log", "/tmp/x.log"}));
    EXPECT_EQ(o.logFile, "/tmp/x.log");
    QProcess p;
    p.start(VELAUPDATE_BINARY, {"--bogus-option", "probe"});
    ASSERT_TRUE(p.waitForFinished(20000));
    EXPECT_EQ(p.exitCode(), 2);
    const QString err = QString::fromUtf8(p.readAllStandardError());
    EXPECT_EQ(err.count('\n'), 1) << err.toStdString();
    EXPECT_TRUE(err.contains("--bogus-option")) << err.toStdString();
    EXPECT_FALSE(err.contains("display")) << err.toStdString();
}

TEST(Options, WithoutAnUpdateServerTheStartCheckBoxSaysSo) {
    qunsetenv("VELAUPDATE_UPDATE_SERVER");
    GuiHarness h;
    auto* box = h.app->windows().connect->UpdateCheckBox;
    EXPECT_EQ(box->text(), app::kNoUpdateServerCaption);
    EXPECT_FALSE(box->isEnabled());
    EXPECT_FALSE(box->isChecked());
}

}  // namespace
}  // namespace vela::test
