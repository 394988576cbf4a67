// The library window's backup: the kept check box that saves the cabinet's programs before
// Update writes over them, and Restore under the model lock.
#include "app/connect_form.h"
#include "app/gui_harness.h"
#include "app/library_form.h"
#include "platform/folders.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>

namespace vela::test {
namespace {

TEST(LibraryWindow, BackUpFirstSavesTheMemoriesBeforeUpdateWritesThem) {
    // The kept choice and the backups go to a scratch home, never the user's.
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, home.path() + "/config");
    // The state folder's variable on each system.
    const QByteArray stateHome = qgetenv("XDG_STATE_HOME"), localAppData = qgetenv("LOCALAPPDATA");
    qputenv("XDG_STATE_HOME", (home.path() + "/state").toUtf8());
    qputenv("LOCALAPPDATA", (home.path() + "/state").toUtf8());
    const auto restore = qScopeGuard([&] {
        qputenv("XDG_STATE_HOME", stateHome);
        qputenv("LOCALAPPDATA", localAppData);
    });
    const QString folder = QString::fromStdString(platform::backupFolder().string());
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
        const QStringList backups =
            QDir(folder).entryList(QStringList{"*.HLB"}, QDir::Files);
        ASSERT_EQ(backups.size(), 1);
        EXPECT_TRUE(backups.front().endsWith("_M01_USB.HLB")) << backups.front().toStdString();
        EXPECT_TRUE(h.boxes.said("The cabinet's programs (memories 1 to 5) were saved in " +
                                 QString::fromStdString((platform::backupFolder() / backups.front().toStdString()).string())));
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

TEST(RestoreUnderTheModelLock, TheWindowRefusesAnotherModelsBackupUntilTheServiceCodeIsEntered) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // The factory library of M01 is a backup of an M01 cabinet's five memories.
    const QString backup = dir.path() + "/venue.HLB";
    ASSERT_TRUE(QFile::copy(QString(VELA_LIBRARIES) + "/M01.HLB", backup));
    QTimer chooser; // answers the file dialog as the user would
    QObject::connect(&chooser, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<QFileDialog*>(w); d && d->isVisible()) {
                d->selectFile(backup);
                static_cast<QDialog*>(d)->accept();
            }
    });
    chooser.start(10);
    sim::SimOptions o;
    o.modelCode = 15; // an M09
    GuiHarness h(o);
    auto* lib = h.app->windows().library;
    lib->show();
    unlockService(h); // shows Restore...; then connecting to the M09 locks the list again
    pressUsb(h);
    ASSERT_EQ(lib->ComboBox1->currentText(), "M09");
    click(lib->RestoreB);
    ASSERT_TRUE(h.settle());
    const auto refusal = std::find_if(h.boxes.texts.begin(), h.boxes.texts.end(), [](const QString& t) {
        return t.startsWith("This backup holds M01 programs; this cabinet is an M09");
    });
    EXPECT_NE(refusal, h.boxes.texts.end()) << h.boxes.texts.join("\n").toStdString();
    EXPECT_TRUE(h.memoriesWritten().empty());
    EXPECT_TRUE(lib->RestoreB->isEnabled());

    unlockService(h);
    h.boxes.texts.clear();
    click(lib->RestoreB);
    ASSERT_TRUE(h.settle(60000));
    EXPECT_TRUE(h.boxes.said("Restore 5 memories from venue.HLB? 5 differ from the cabinet, 0 are the same"))
        << h.boxes.texts.join("\n").toStdString();
    EXPECT_TRUE(h.boxes.said("Memories restored: 1, 2, 3, 4, 5.")) << h.boxes.texts.join("\n").toStdString();
    EXPECT_EQ(h.memoriesWritten(), (std::vector<int>{1, 2, 3, 4, 5}));
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
