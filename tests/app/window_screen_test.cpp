// Every window on whatever screen it opens on: its frame inside the screen's available area,
// its main control and its close icon in sight once the keyboard goes there. The same tests
// run on this screen and on a 1024 x 600 one at 100 % and 200 % (see tests/CMakeLists.txt).
#include "app/connect_form.h"
#include "app/designer_controls.h"
#include "app/designer_window.h"
#include "app/em100_form.h"
#include "app/gui_harness.h"
#include "app/icon_button.h"
#include "app/led_button.h"
#include "app/library_form.h"
#include "app/main_menu.h"
#include "app/rig_form.h"
#include "app/tune_dialog.h"
#include "app/two_way_measurements.h"
#include "session/session.h"
#include "sim/udp_module_endpoint.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

namespace vela::test {
namespace {

// The frame as the window system has it (QWidget's own figure can lag behind at 200 % on X).
QRect frameOf(QWidget* window) { return window->windowHandle()->frameGeometry(); }

// Shown whole: nothing of it is cut by the window's edge or scrolled away.
bool inSight(QWidget* control) {
    return control->isVisible() && control->visibleRegion().boundingRect() == control->rect() &&
           control->window()->rect().contains(QRect(control->mapTo(control->window(), QPoint()), control->size()));
}

// The window opens inside the screen; `main` (and then the close icon) reached by the keyboard
// comes into sight.
void expectUsable(QWidget* window, std::initializer_list<QWidget*> mains) {
    SCOPED_TRACE(window->windowTitle().toStdString());
    ASSERT_TRUE(window->isVisible());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    const QRect area = window->screen()->availableGeometry();
    // A window manager places and sizes the window after it is shown.
    EXPECT_TRUE(waitFor([&] { return area.contains(frameOf(window)); }, 3000))
        << "frame " << frameOf(window).x() << "," << frameOf(window).y() << " " << frameOf(window).width() << "x"
        << frameOf(window).height() << " on " << area.width() << "x" << area.height();
    QWidget* close = control(window, "Close");
    ASSERT_NE(close, nullptr);
    for (QWidget* main : mains) {
        SCOPED_TRACE(main->objectName().isEmpty() ? main->metaObject()->className() : main->objectName().toStdString());
        ASSERT_TRUE(main->isVisibleTo(window));
        main->setFocus(Qt::TabFocusReason);
        QCoreApplication::processEvents();
        EXPECT_TRUE(inSight(main));
        // A dialog's Close button scrolls with its other controls: it is one of `mains`.
        if (!qobject_cast<app::IconButton*>(close)) continue;
        // Wherever the content was scrolled to, the close icon stays, and covers no control.
        EXPECT_TRUE(inSight(close));
        const auto inWindow = [window](QWidget* c) { return QRect(c->mapTo(window, QPoint()), c->size()); };
        EXPECT_FALSE(inWindow(main).intersects(inWindow(close)));
    }
}

TEST(Screen, EveryWindowOpensInsideTheScreenWithItsMainControlsReachable) {
    sim::LoopbackUdpSocket nobody(0);  // the rig window's scan stays on this machine
    app::GuiOptions gui = GuiHarness::simulated();
    gui.service = true;
    gui.broadcast = "127.0.0.1";
    gui.udpPort = nobody.port();
    sim::SimOptions o;
    o.empty = true;  // the model list stays free and the send panel shows
    GuiHarness h(o, gui);
    auto& w = h.app->windows();
    expectUsable(w.connect, {w.connect->USBButton, w.connect->EtherButton, w.connect->LogsButton});
    pressUsb(h);
    w.library->ComboBox1->setCurrentIndex(0);
    emit w.library->ComboBox1->activated(0);
    ASSERT_TRUE(h.settle());
    expectUsable(w.library, {w.library->ComboBox1, w.library->BackupFirstCheck, w.library->Send1});
    expectUsable(w.mainMenu, {w.mainMenu->ReadButton, w.mainMenu->WriteButton, w.mainMenu->DesignerButton});
    // The service column widens the library window: it still fits, and the column is reached.
    unlockService(h);
    expectUsable(w.library, {w.library->Send1, w.library->UpdateDSP, w.library->RestoreB});

    w.ethernet->bringToFront();
    expectUsable(w.ethernet, {w.ethernet->ModelComboBox, w.ethernet->WholeRigB});
    app::TRigForm* rig = w.ethernet->RigForm;
    rig->open();
    // Its first scan finds nobody; Update all waits for cabinets, disabled.
    ASSERT_TRUE(waitFor([&] { return rig->ScanB->isEnabled(); }));
    expectUsable(rig, {rig->ScanB});

    app::DesignerWindow& designer = w.mainMenu->designer();
    designer.bringToFront();
    expectUsable(&designer, {designer.NewButton, designer.SaveButton, designer.RealTimeB});

    // The designer's Tune dialog, framed by the window system, with a fit's figures under its
    // preview: its first field, Fit, Apply and Close.
    QTemporaryDir dir;
    const auto [woofer, tweeter] = writeTwoWay(dir.path());
    designer.controls().set("import.type", "11");
    designer.controls().set("import.1", woofer.toStdString());
    designer.controls().set("import.2", tweeter.toStdString());
    for (auto* b : designer.findChildren<QPushButton*>())
        if (b->text() == QStringLiteral("Tune…")) b->click();
    auto* tune = designer.findChild<app::TuneDialog*>();
    ASSERT_NE(tune, nullptr);
    tune->FitButton->click();
    ASSERT_TRUE(waitFor([&] { return !tune->fitting(); }, 60000));
    ASSERT_TRUE(tune->ApplyButton->isEnabled()) << tune->StatusText->text().toStdString();
    expectUsable(tune, {tune->TargetList, tune->FitButton, tune->ApplyButton, tune->CloseButton});
}

TEST(Screen, AWindowLargerThanTheScreenScrollsInsideItWithItsIconsAtItsTopRight) {
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    app::BorderlessWindow big("Big", area.size() + QSize(100, 100));
    QAbstractButton* close = big.addCloseIcon(QPoint(big.width() - 26, 6));
    auto* corner = new QPushButton("Far corner", &big);
    corner->setGeometry(big.width() - 120, big.height() - 40, 100, 28);
    auto* first = new QPushButton("First", &big);
    first->setGeometry(20, 20, 100, 28);
    QWidget::setTabOrder(first, corner);
    big.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&big));
    EXPECT_TRUE(waitFor([&] { return area.contains(frameOf(&big)); }, 3000));
    EXPECT_EQ(big.designSize(), area.size() + QSize(100, 100));
    ASSERT_NE(big.scrollArea(), nullptr);
    EXPECT_TRUE(inSight(close));
    first->setFocus(Qt::TabFocusReason);
    // Tab keeps the order the window gave, and scrolls the control it reaches into sight.
    QTest::keyClick(first, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), corner);
    EXPECT_TRUE(inSight(corner));
    EXPECT_TRUE(inSight(close));
    QTest::keyClick(corner, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), close);
}

TEST(Screen, AWindowThatFitsDoesNotScroll) {
    app::BorderlessWindow small("Small", {300, 200});
    small.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&small));
    EXPECT_EQ(small.size(), QSize(300, 200));
    EXPECT_EQ(small.scrollArea(), nullptr);
}

}  // namespace
}  // namespace vela::test
