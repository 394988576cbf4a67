// The installer's road through the windows against the simulated unit: USB, the model the
// unit reports, Update, and the message at the end; and the ways it can go wrong.
#include "app/connect_form.h"
#include "app/led_button.h"
#include "app/gui_harness.h"
#include "app/library_form.h"
#include "app/main_menu.h"
#include "app/transfer_form.h"
#include "session/operations.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include <gtest/gtest.h>

namespace vela::test {
namespace {

sim::SimOptions modelCode(int code) {
    sim::SimOptions o;
    o.modelCode = code;
    return o;
}

TEST(WindowSet, CreatedInOrderWithTheirCaptionsAndSizes) {
    GuiHarness h;
    const auto& w = h.app->windows();
    QStringList titles;
    for (QWidget* window : w.inCreationOrder) titles << window->windowTitle();
    EXPECT_EQ(titles, (QStringList{"VELAupdate", "Library Maker", "ETHERNET", "MainMenu", "About K-TRM", "",
                                   "QuadLink Serial Interface", "System Info"}));
    EXPECT_EQ(w.inCreationOrder.front(), w.connect);
    EXPECT_EQ(w.inCreationOrder[1], w.library);
    EXPECT_EQ(w.library->size(), QSize(569, 465));
    EXPECT_EQ(w.connect->size(), QSize(489, 396));
    EXPECT_EQ(w.transfer->windowTitle(), "QuadLink Serial Interface");
    EXPECT_TRUE(w.connect->isVisible());
    for (QWidget* other : w.inCreationOrder) {
        if (other == w.connect) continue;
        EXPECT_FALSE(other->isVisible()) << other->objectName().toStdString();
    }
    // The model list starts locked, with no model chosen and no send panel.
    EXPECT_FALSE(w.library->ComboBox1->isEnabled());
    EXPECT_EQ(w.library->ComboBox1->currentIndex(), -1);
    EXPECT_FALSE(w.library->SendPanel->isVisibleTo(w.library));
    // USB and ETHERNET lie inside the connection window, the program's own choices outside.
    EXPECT_TRUE(w.connect->rect().contains(w.connect->USBButton->geometry()));
    EXPECT_TRUE(w.connect->rect().contains(w.connect->EtherButton->geometry()));
    for (app::LedButton* hidden : {w.connect->OffLineB, w.connect->Com1B, w.connect->Com2B})
        EXPECT_GE(hidden->x(), 530);
}

TEST(UsbRoad, ModelCodeTwoLocksM01AndUpdateEndsWithThePowerCycle) {
    GuiHarness h(modelCode(2));
    snapshot(h.app->windows().connect, "connect");
    pressUsb(h);
    auto* lib = library(h);
    snapshot(lib, "library-connected");
    EXPECT_TRUE(lib->isVisible());
    EXPECT_FALSE(h.app->windows().connect->isVisible());
    EXPECT_EQ(lib->ComboBox1->currentText(), "M01");
    EXPECT_FALSE(lib->ComboBox1->isEnabled());
    EXPECT_EQ(lib->ConnectedL->text(), "Status : USB");
    EXPECT_EQ(lib->Edit[0]->text().trimmed(), "Flat");
    EXPECT_FALSE(lib->Edit[4]->text().trimmed().isEmpty());
    EXPECT_TRUE(lib->Edit[5]->text().trimmed().isEmpty());
    EXPECT_TRUE(lib->SendPanel->isVisible());
    EXPECT_EQ(h.commandsSent(), (std::vector<int>{0, 4}));  // the probe, then the read-back request

    QWidget* update = control(lib, "Update M01");
    ASSERT_NE(update, nullptr);
    // Half-way through, the gauges and the transfer window as the user sees them.
    bool halfway = false;
    QObject::connect(&h.app->ui(), &app::QtUserInterface::gaugeChanged, lib,
                     [&](vela::Gauge g, int position, int maximum) {
                         if (halfway || g != vela::Gauge::TotalProgress || position * 2 < maximum) return;
                         halfway = true;
                         snapshot(lib, "library-running");
                         snapshot(h.app->windows().transfer, "transfer-running");
                     });
    click(update);
    ASSERT_TRUE(h.settle(60000));
    EXPECT_TRUE(halfway);
    EXPECT_EQ(h.memoriesWritten(), (std::vector<int>{1, 2, 3, 4, 5}));
    const auto codes = h.commandsSent();
    ASSERT_GE(codes.size(), 2u);
    EXPECT_EQ(codes[codes.size() - 2], 1);  // the operating system as program 15
    EXPECT_EQ(codes.back(), 8);             // then the reset
    EXPECT_TRUE(h.boxes.said("Turn Off and ON the cabinet."));
    snapshot(lib, "library-updated");
    EXPECT_EQ(lib->TotalProgress->value(), lib->TotalProgress->maximum());
    EXPECT_FALSE(lib->SendPanel->isVisible());
    EXPECT_TRUE(lib->ConnectB->isVisible());
    EXPECT_FALSE(h.app->windows().transfer->isVisible());
}

TEST(UsbRoad, UnitWithoutProgramLeavesTheListFreeAndShowsTheSendPanel) {
    sim::SimOptions o;
    o.empty = true;
    GuiHarness h(o);
    pressUsb(h);
    auto* lib = library(h);
    EXPECT_TRUE(lib->ComboBox1->isEnabled());
    EXPECT_EQ(lib->ComboBox1->currentIndex(), -1);
    EXPECT_TRUE(lib->SendPanel->isVisible());
    EXPECT_EQ(lib->ConnectedL->text(), "Status : USB");
}

TEST(UsbRoad, ChoosingAModelListsItsProgramsAndNamesTheButton) {
    GuiHarness h(modelCode(1));  // a code below 2 frees the list
    pressUsb(h);
    auto* lib = library(h);
    ASSERT_TRUE(lib->ComboBox1->isEnabled());
    lib->ComboBox1->setCurrentIndex(2);
    emit lib->ComboBox1->activated(2);
    ASSERT_TRUE(h.settle());
    EXPECT_EQ(lib->Send1->text(), "Update M02");
    EXPECT_EQ(lib->Edit[3]->text().trimmed(), "Club");
    EXPECT_TRUE(lib->Edit[4]->text().isEmpty());
    EXPECT_TRUE(lib->SendPanel->isVisible());
}

TEST(UsbRoad, FailedOpenLeavesTheLibraryWindowAndTheLinkOffline) {
    GuiHarness h;
    // No bridge attached: the session's USB locator finds nothing.
    h.app.reset();
    h.app = std::make_unique<app::Application>(GuiHarness::simulated(), [](UserInterface& ui) {
        LinkDevices none;
        none.usb = [](int) -> std::unique_ptr<ByteChannel> { return nullptr; };
        return std::make_unique<Session>(ui, std::move(none));
    });
    ASSERT_TRUE(h.settle());
    pressUsb(h);
    ASSERT_FALSE(h.boxes.texts.isEmpty());
    EXPECT_TRUE(h.boxes.texts.front().startsWith(
        "Can't open the USB. Please verify that the USB is connected and your Box is switch on"));
    EXPECT_TRUE(library(h)->isVisible());
    const Session& s = h.app->worker().session();
    EXPECT_EQ(s.state.Link, LinkKind::Offline);
    EXPECT_FALSE(s.state.UsbActive || s.state.EthernetActive || s.state.SerialActive);
    EXPECT_TRUE(h.app->windows().connect->OffLineB->ledOn());
    EXPECT_FALSE(h.app->windows().connect->USBButton->ledOn());
}

// One box says which memory refused and what was written; the link never failed, so every
// status still shows it and Update is there for the next run.
TEST(UsbRoad, ProtectedMemoryIsSaidOnceAndTheLinkStays) {
    sim::SimOptions o = modelCode(2);
    o.protectedMemories = {1};
    GuiHarness h(o);
    pressUsb(h);
    const int before = static_cast<int>(h.boxes.texts.size());
    click(control(library(h), "Update M01"));
    ASSERT_TRUE(h.settle(60000));
    EXPECT_EQ(h.boxes.texts.mid(before),
              QStringList{"Memory 1 is protected: unprotect it on the processor, then run the update again. No "
                          "memory was written; the DSP Operating System was not updated."});
    EXPECT_TRUE(h.memoriesWritten().empty());
    EXPECT_EQ(library(h)->ConnectedL->text(), "Status : USB");
    EXPECT_EQ(h.app->windows().mainMenu->InfoLabel->text(), "Status : USB");
    EXPECT_TRUE(library(h)->Send1->isEnabled());
}

TEST(LibraryWindow, UpdateWithNoLibraryIsDisabledAndSendsNothing) {
    sim::SimOptions o;
    o.empty = true;
    GuiHarness h(o);
    pressUsb(h);
    ASSERT_TRUE(library(h)->SendPanel->isVisible());
    EXPECT_FALSE(library(h)->Send1->isEnabled());
    click(library(h)->Send1);
    ASSERT_TRUE(h.settle());
    EXPECT_TRUE(h.memoriesWritten().empty());
}

}  // namespace
}  // namespace vela::test

namespace vela::test {
namespace {

TEST(LibraryWindow, RunStartedOfflineWaitsForTheConnectionWindowThenWrites) {
    GuiHarness h(modelCode(2));
    h.app->worker().run([](Session& s) { openLibraryFile(s, "M01.HLB"); });
    ASSERT_TRUE(h.settle());
    // The run asks for a link and waits while the connection window is shown modally.
    h.app->worker().run([&h](Session& s) { loadAllMemories(s, h.app->firmware()); });
    auto* connectForm = h.app->windows().connect;
    ASSERT_TRUE(waitFor([&] { return connectForm->isVisible() && connectForm->isModal(); }));
    EXPECT_TRUE(h.boxes.said("You must be connected not offline"));
    click(control(connectForm, "USB"));
    ASSERT_TRUE(h.settle(60000));
    EXPECT_FALSE(connectForm->isModal());
    EXPECT_EQ(h.memoriesWritten(), (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_TRUE(h.boxes.said("Turn Off and ON the cabinet."));
}

}  // namespace
}  // namespace vela::test

namespace vela::test {
namespace {

// The road as `velaupdate --usb=/dev/pts/N --force` takes it against `velaupdate sim --pty
// --model-code 2`; the Xvfb script starts that unit and names its terminal.
TEST(PtyRoad, UsbDeviceAndForceReachTheUnitOnAPseudoTerminal) {
    const QString device = qEnvironmentVariable("VELA_PTY_DEVICE");
    if (device.isEmpty()) GTEST_SKIP() << "VELA_PTY_DEVICE names no simulated unit";
    const char* argv[] = {"velaupdate", "--force", nullptr};
    const std::string usb = "--usb=" + device.toStdString();
    std::vector<std::string> words = {argv[0], usb, argv[1]};
    app::GuiOptions options = app::parseGuiOptions(Args::parse(words));
    BoxAnswerer boxes;
    app::Application window(options, [&options](UserInterface& ui) {
        auto s = app::makeSession(ui, options);
        s->libraryForm.dataDirectories = {VELA_LIBRARIES};
        return s;
    });
    ASSERT_TRUE(window.worker().waitIdle(10000));
    click(control(window.windows().connect, "USB"));
    ASSERT_TRUE(window.worker().waitIdle(30000));
    auto* lib = window.windows().library;
    EXPECT_EQ(lib->ComboBox1->currentText(), "M01");
    EXPECT_FALSE(lib->ComboBox1->isEnabled());
    QWidget* update = control(lib, "Update M01");
    ASSERT_NE(update, nullptr);
    click(update);
    ASSERT_TRUE(window.worker().waitIdle(120000));
    EXPECT_TRUE(boxes.said("Turn Off and ON the cabinet.")) << boxes.texts.join(" | ").toStdString();
}

}  // namespace
}  // namespace vela::test

namespace vela::test {
namespace {

TEST(LibraryWindow, ServiceButtonsUpdateTheOperatingSystemAtOnceAndResetAfterItsQuestion) {
    GuiHarness h(modelCode(2));
    pressUsb(h);
    unlockService(h);
    const auto before = h.commandsSent().size();
    click(library(h)->UpdateDSP);
    ASSERT_TRUE(h.settle(60000));
    EXPECT_TRUE(h.boxes.texts.isEmpty());
    click(library(h)->ResetDSP);
    ASSERT_TRUE(h.settle());
    const auto codes = h.commandsSent();
    EXPECT_EQ(std::vector<int>(codes.begin() + static_cast<long>(before), codes.end()),
              (std::vector<int>{1, 8, 8}));  // the system and its reset, then RST
    EXPECT_EQ(h.unit->unit().status().firmwareWrites, 1);
    EXPECT_EQ(h.boxes.texts, QStringList{"Do you want to RESET the DSP?"});
}

}  // namespace
}  // namespace vela::test
