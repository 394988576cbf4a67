// The Ethernet module window against the simulated module over UDP on 127.0.0.1 and the
// simulated unit behind the TCP link.

#include "app/em100_form.h"
#include "app/library_form.h"
#include "session/connection.h"
#include "sim/udp_module_endpoint.h"
#include "window_harness.h"

#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <gtest/gtest.h>

namespace vela::app {
namespace {

using namespace std::chrono_literals;
using test::WindowHarness;

sim::SimulatedModule module(const std::string& option) { return sim::EthernetModuleSim::parseModuleOption(option); }

struct EthernetWindow : ::testing::Test {
    WindowHarness h;
    sim::UdpModuleEndpoint modules{{module("ID1,M09,LEFT"), module("ID2,M06,SUB"), module("ID3,M09,RIGHT")}, 0};
    TEM100Form form{h.context, h.firmware};

    void SetUp() override {
        form.settings.broadcast = "127.0.0.1";
        form.settings.udpPort = modules.port();
        form.settings.scanTime = 300ms;
        // The connection window's Ethernet choice shows the window.
        h.worker->run([](Session& s) { switchLink(s, LinkKind::Ethernet); });
        h.settle();
    }
    void chooseModel(const QString& model) {
        form.ModelComboBox->setCurrentText(model);
        form.ModelComboBoxChange(form.ModelComboBox->currentIndex());
        h.settle();
    }
    void chooseProcessor(int index) {
        form.ProcessorBoxClick(index);
        h.settle();
    }
};

TEST_F(EthernetWindow, StartsWithNothingButTheModelChoice) {
    EXPECT_EQ(form.windowTitle(), "ETHERNET");
    EXPECT_EQ(form.ModelComboBox->placeholderText(), "Select your model");
    EXPECT_EQ(form.ModelComboBox->count(), 2);
    EXPECT_TRUE(form.ScanB->isHidden());
    EXPECT_TRUE(form.ProcessorBox->isHidden());
    EXPECT_TRUE(form.ConnectB->isHidden());
    EXPECT_TRUE(form.ManagementGroup->isHidden());
    EXPECT_EQ(form.Label5->text(), "IP");
    EXPECT_EQ(form.StatusB->text(), "offline");
}

TEST_F(EthernetWindow, ScanListsTheModulesOfTheChosenModelOnly) {
    chooseModel("M09");
    EXPECT_FALSE(form.ScanB->isHidden());
    EXPECT_EQ(form.Label2->text(), "2.- Devices detected");
    ASSERT_EQ(form.ProcessorBox->count(), 2);
    EXPECT_EQ(form.ProcessorBox->itemText(0), "LEFT");
    EXPECT_EQ(form.ProcessorBox->itemText(1), "RIGHT");
    ASSERT_EQ(form.IPList->count(), 2);
    EXPECT_EQ(form.IPList->item(0)->text(), "LEFT=127.0.0.1");
    EXPECT_EQ(form.ScanProgress->value(), 100);
    // Choosing a module shows its address in the four edits and its name.
    chooseProcessor(1);
    EXPECT_FALSE(form.ConnectB->isHidden());
    EXPECT_FALSE(form.ManagementGroup->isHidden());
    EXPECT_EQ(form.Label5->text(), "127.0.0.1");
    EXPECT_EQ(form.IP[0]->value(), 127);
    EXPECT_EQ(form.IP[3]->value(), 1);
    EXPECT_EQ(form.HostEdit->text(), "RIGHT");
}

TEST_F(EthernetWindow, TheScanMovesOnlyItsOwnGauge) {
    TLoadAllMemForm library{h.context, h.firmware};
    chooseModel("M09");
    EXPECT_EQ(form.ScanProgress->value(), 100);
    EXPECT_EQ(library.ProgressBar->value(), 0);
    EXPECT_EQ(library.TotalProgress->value(), 0);
}

TEST_F(EthernetWindow, EveryControlIsNamedAndReachedInOrder) {
    chooseModel("M09");
    chooseProcessor(0);
    test::expectNamedControls(&form);
    const std::vector<QWidget*> order = test::keyboardOrder(&form);
    const auto at = [&](QWidget* c) { return std::find(order.begin(), order.end(), c) - order.begin(); };
    const std::vector<QWidget*> reading{form.ModelComboBox, form.ScanB, form.ProcessorBox, form.IPList, form.ConnectB,
                                        form.IdentifyButton1, form.IP[0], form.IP[3], form.ChangeIP, form.HostEdit,
                                        form.ChangeName};
    for (std::size_t i = 1; i < reading.size(); ++i) {
        EXPECT_LT(at(reading[i - 1]), at(reading[i])) << test::accessibleNameOf(reading[i]).toStdString();
    }
    EXPECT_LT(at(reading.back()), std::ptrdiff_t(order.size()));
}

TEST_F(EthernetWindow, AModelNoModuleReportsFindsNothing) {
    sim::UdpModuleEndpoint none{{module("ID9,M01,OTHER")}, 0};
    form.settings.udpPort = none.port();
    chooseModel("M06");
    EXPECT_EQ(form.Label2->text(), "No Devices Found");
    EXPECT_TRUE(form.ProcessorBox->isHidden());
    EXPECT_TRUE(form.ConnectB->isHidden());
}

TEST_F(EthernetWindow, HostNameChangeIsAnsweredAndScansAgain) {
    chooseModel("M09");
    chooseProcessor(0);
    form.HostEdit->clear();
    QTest::keyClicks(form.HostEdit, "stage1xy");
    EXPECT_EQ(form.HostEdit->text(), "STAGE1XY");  // upper case
    QTest::mouseClick(form.ChangeName, Qt::LeftButton);
    h.settle();
    EXPECT_TRUE(h.answerer.said("Host Name Changed Successfully"));
    EXPECT_EQ(modules.modules()[0].name, "STAGE1XY");
    ASSERT_EQ(form.ProcessorBox->count(), 2);
    EXPECT_EQ(form.ProcessorBox->itemText(0), "STAGE1XY");
}

TEST_F(EthernetWindow, ANameTooLongIsSaidNotCutNorSent) {
    sim::UdpModuleEndpoint stage{{module("ID4,M09,STAGE-LEFT")}, 0};
    form.settings.udpPort = stage.port();
    chooseModel("M09");
    chooseProcessor(0);
    EXPECT_EQ(form.HostEdit->text(), "STAGE-LEFT");  // shown whole
    QTest::keyClicks(form.HostEdit, "x");
    EXPECT_EQ(form.HostEdit->text(), "STAGE-LEFTX");
    QTest::mouseClick(form.ChangeName, Qt::LeftButton);
    h.settle();
    EXPECT_TRUE(h.answerer.said("The host name STAGE-LEFTX is too long: a module's host name has at most 8 characters. "
                                "Nothing was sent."))
        << h.answerer.texts.join('|').toStdString();
    EXPECT_EQ(stage.modules()[0].name, "STAGE-LEFT");
}

TEST_F(EthernetWindow, WhatTheUserTypedOutlivesTheRefreshOfAnotherCommand) {
    chooseModel("M09");
    chooseProcessor(0);
    form.IP[3]->clear();
    QTest::keyClicks(form.IP[3], "77");
    form.HostEdit->clear();
    QTest::keyClicks(form.HostEdit, "FOH");
    QTest::mouseClick(form.IdentifyButton1, Qt::LeftButton);
    h.settle();
    EXPECT_EQ(form.IP[3]->value(), 77);
    EXPECT_EQ(form.HostEdit->text(), "FOH");
    // Choosing a module again shows its own values.
    chooseProcessor(1);
    EXPECT_EQ(form.IP[3]->value(), 1);
    EXPECT_EQ(form.HostEdit->text(), "RIGHT");
}

TEST_F(EthernetWindow, AddressChangeSendsTheFourEditsToTheChosenModule) {
    chooseModel("M09");
    chooseProcessor(1);  // RIGHT, ID3
    form.IP[2]->setValue(5);
    form.IP[3]->setValue(20);
    QTest::mouseClick(form.ChangeIP, Qt::LeftButton);
    h.settle();
    EXPECT_TRUE(h.answerer.said("IP Changed Successfully"));
    EXPECT_EQ(modules.modules()[2].ip, "127.0.5.20");
    EXPECT_EQ(modules.modules()[0].ip, "127.0.0.1");  // the other module of the model is untouched
    EXPECT_EQ(form.Label2->text(), "2.- Devices detected");  // and the list was scanned again
}

TEST_F(EthernetWindow, AddressEditsKeepTheModulesLimits) {
    chooseModel("M09");
    chooseProcessor(0);
    EXPECT_EQ(form.IP[0]->maximum(), 255);
    EXPECT_EQ(form.IP[3]->minimum(), 1);
    EXPECT_EQ(form.IP[3]->maximum(), 254);
    form.IP[3]->setValue(255);
    EXPECT_EQ(form.IP[3]->value(), 254);
}

TEST_F(EthernetWindow, DeletingAListEntryAsksAndRemovesItFromTheListOnly) {
    chooseModel("M09");
    form.IPList->setCurrentRow(0);
    h.answerer.answers = {"OK"};
    QTest::keyClick(form.IPList, Qt::Key_Delete);
    h.settle();
    EXPECT_TRUE(h.answerer.said("Do you want to Delete: LEFT=127.0.0.1"));
    ASSERT_EQ(form.IPList->count(), 1);
    EXPECT_EQ(form.IPList->item(0)->text(), "RIGHT=127.0.0.1");
    EXPECT_EQ(form.ProcessorBox->count(), 2);
}

TEST_F(EthernetWindow, IdentifyMakesTheModuleBlink) {
    chooseModel("M09");
    chooseProcessor(0);
    QTest::mouseClick(form.IdentifyButton1, Qt::LeftButton);
    h.settle();
    for (int i = 0; i < 100 && modules.modules()[0].blinks == 0; ++i) QTest::qWait(10);
    EXPECT_EQ(modules.modules()[0].blinks, 1);
}

TEST_F(EthernetWindow, ConnectWithoutAChosenModuleSaysSo) {
    form.ConnectBClick();
    h.settle();
    EXPECT_TRUE(h.answerer.said("You must Select a Processor from the Drop Down List"));
}

TEST_F(EthernetWindow, ConnectProbesTheUnitAndClosesTheWindow) {
    ASSERT_TRUE(form.isVisible());
    chooseModel("M09");
    chooseProcessor(0);
    bool connected = false;
    QObject::connect(&form, &TEM100Form::moduleConnected, [&] { connected = true; });
    QTest::mouseClick(form.ConnectB, Qt::LeftButton);
    h.settle();
    EXPECT_TRUE(connected);
    EXPECT_TRUE(form.StatusB->text().startsWith("ETHERNET: Connected with LEFT from ")) << form.StatusB->text().toStdString();
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(h.session().link.unitCommands.enabled);
    // The model chosen for the scan opened its library in the library window.
    EXPECT_EQ(h.session().libraryWindow.selectedRow, 13);
}

}  // namespace
}  // namespace vela::app
