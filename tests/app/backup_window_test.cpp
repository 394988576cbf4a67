// The library window's backup: the kept check box that saves the cabinet's programs before
// Update writes over them.
#include "app/connect_form.h"
#include "app/gui_harness.h"
#include "app/library_form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QScopeGuard>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace vela::test {
namespace {

TEST(LibraryWindow, BackUpFirstSavesTheMemoriesBeforeUpdateWritesThem) {
    // The kept choice and the backups go to a scratch home, never the user's.
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, home.path() + "/config");
    const QByteArray stateHome = qgetenv("XDG_STATE_HOME");
    qputenv("XDG_STATE_HOME", (home.path() + "/state").toUtf8());
    const auto restore = qScopeGuard([&] { qputenv("XDG_STATE_HOME", stateHome); });
    sim::SimOptions o;
    o.modelCode = 2;
    {
        GuiHarness h(o);
        click(control(h.app->windows().connect, "USB"));
        ASSERT_TRUE(h.settle());
        auto* lib = h.app->windows().library;
        auto* check = qobject_cast<QCheckBox*>(control(lib, "Back up the cabinet's programs first"));
        ASSERT_NE(check, nullptr);
        EXPECT_TRUE(check->isVisible());
        EXPECT_FALSE(check->isChecked()); // off until the user turns it on
        click(check);
        EXPECT_TRUE(check->isChecked());

        QWidget* update = control(lib, "Update M01");
        ASSERT_NE(update, nullptr);
        click(update);
        ASSERT_TRUE(h.settle(90000));
        const QStringList backups = QDir(home.path() + "/state/velaupdate/backups").entryList(QDir::Files);
        ASSERT_EQ(backups.size(), 1);
        EXPECT_TRUE(backups.front().endsWith("_M01_USB.HLB")) << backups.front().toStdString();
        EXPECT_TRUE(h.boxes.said("The cabinet's programs (memories 1 to 5) were saved in " + home.path() +
                                 "/state/velaupdate/backups/" + backups.front()));
        EXPECT_EQ(h.memoriesWritten(), (std::vector<int>{1, 2, 3, 4, 5}));
        // Every read comes before the first write.
        const auto codes = h.commandsSent();
        const auto firstWrite = std::find(codes.begin(), codes.end(), 3);
        EXPECT_EQ(std::count(codes.begin(), firstWrite, 4), 6); // the connection's read, then five
        EXPECT_EQ(std::count(firstWrite, codes.end(), 4), 0);
    }

    // The choice is kept for the next start.
    GuiHarness again(o);
    auto* kept = qobject_cast<QCheckBox*>(
        control(again.app->windows().library, "Back up the cabinet's programs first"));
    ASSERT_NE(kept, nullptr);
    EXPECT_TRUE(kept->isChecked());
}

TEST(UsbRoad, AReadBackThatFallsSilentSaysSoAndUsbCanBePressedAgain) {
    sim::SimOptions o;
    o.modelCode = 2;
    o.faults = {{sim::SimFault::Kind::SilentBlock, 1}};
    o.exchangeTimeout = std::chrono::milliseconds(300);
    GuiHarness h(o);
    auto* connect = h.app->windows().connect;
    click(control(connect, "USB"));
    ASSERT_TRUE(h.settle());
    ASSERT_FALSE(h.boxes.texts.isEmpty());
    EXPECT_TRUE(h.boxes.texts.back().endsWith("The HALDA40 was closed. You need to Reconnect."))
        << h.boxes.texts.back().toStdString();
    EXPECT_TRUE(connect->isVisible());
    EXPECT_NE(h.app->windows().library->ConnectedL->text(), "Status : USB");

    // The unit answers again: the same button connects and locks the list to its model.
    h.unit->unit().waitIdle(std::chrono::seconds(5));
    QWidget* usb = control(connect, "USB");
    ASSERT_NE(usb, nullptr);
    ASSERT_TRUE(usb->isEnabled());
    click(usb);
    ASSERT_TRUE(h.settle());
    auto* lib = h.app->windows().library;
    EXPECT_EQ(lib->ComboBox1->currentText(), "M01");
    EXPECT_EQ(lib->ConnectedL->text(), "Status : USB");
}

} // namespace
} // namespace vela::test
