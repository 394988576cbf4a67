// The whole-rig window against a simulated rig on loopback: the scan's rows, "Update all" with
// each row's own phase, gauge and result, one message for the run, and a close during a run.

#include "app/em100_form.h"
#include "app/rig_form.h"
#include "library/model_catalogue.h"
#include "sim/udp_module_endpoint.h"
#include "sim/simulated_rig.h"
#include "window_harness.h"
#include "support/wine.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <set>

namespace vela::app {
namespace {

using namespace std::chrono_literals;
using test::WindowHarness;

// Model codes the catalogue gives M02 and M09.
constexpr int kM02 = 4, kM09 = 15;

sim::RigCabinet cabinet(int modelCode, int baud = 0) {
    sim::RigCabinet c;
    c.unit.modelCode = modelCode;
    c.unit.baud = baud;
    c.unit.exchangeTimeout = 500ms;
    c.model = modelCode == kM02 ? "M02" : "M09";
    return c;
}

struct WholeRig : ::testing::Test {
    WindowHarness h;
    std::unique_ptr<sim::SimulatedRig> rig;
    EthernetModuleSettings settings;
    FirmwareChoice firmware = h.firmware;
    std::unique_ptr<TRigForm> form;

    void make(std::vector<sim::RigCabinet> cabinets) {
        rig = std::make_unique<sim::SimulatedRig>(std::move(cabinets));
        settings.broadcast = sim::kRigDiscoveryAddress;
        settings.udpPort = rig->udpPort();
        settings.tcpPort = rig->tcpPort();
        settings.scanTime = 400ms;
        form = std::make_unique<TRigForm>(h.context, firmware, settings);
        form->openCabinet = [](UserInterface& ui, const CabinetToLoad& c) {
            auto s = openSession(ui, c.link);
            s->libraryForm.dataDirectories = {VELA_LIBRARIES};
            return s;
        };
        form->show();
    }
    // Clicks and waits until the window shows the end of what it started.
    void press(QPushButton* button) {
        bool ended = false;
        const auto c = QObject::connect(form.get(), &TRigForm::finished, [&] { ended = true; });
        test::click(button);
        ASSERT_TRUE(test::waitFor([&] { return ended; }, 60000));
        QObject::disconnect(c);
    }
    QTreeWidgetItem* row(int i) { return form->CabinetList->topLevelItem(i); }
    QString text(int i, int column) { return row(i)->text(column); }
};

TEST_F(WholeRig, ScanListsEveryCabinetCheckedWithWhatItsUnitReports) {
    if (test::underWine()) GTEST_SKIP() << "Wine answers every loopback address from 127.0.0.1";
    sim::RigCabinet silent = cabinet(kM09);
    silent.unit.faults.push_back({sim::SimFault::Kind::Silent, 0});
    make({cabinet(kM09), cabinet(kM02), silent});
    EXPECT_FALSE(form->UpdateAllB->isEnabled());
    press(form->ScanB);

    ASSERT_EQ(form->CabinetList->topLevelItemCount(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(row(i)->checkState(TRigForm::CabinetColumn), Qt::Checked);
        EXPECT_EQ(text(i, TRigForm::CabinetColumn).toStdString(), rig->addresses()[i].hostName);
        EXPECT_EQ(text(i, TRigForm::IpColumn).toStdString(), rig->addresses()[i].ip);
        ASSERT_NE(form->gauge(i), nullptr);
        EXPECT_EQ(form->gauge(i)->value(), 0);
    }
    EXPECT_EQ(text(0, TRigForm::ModelColumn), "M09");
    EXPECT_EQ(text(1, TRigForm::ModelColumn), "M02");
    EXPECT_EQ(text(2, TRigForm::ModelColumn), "not read");
    EXPECT_FALSE(row(2)->toolTip(TRigForm::ModelColumn).isEmpty());
    EXPECT_EQ(form->StatusLabel->text(), "3 cabinets found");
    EXPECT_TRUE(form->UpdateAllB->isEnabled());

    // Every control the keyboard reaches is named, a button by its caption.
    test::expectNamedControls(form.get());
    std::set<QWidget*> reached;
    for (QWidget* w : test::keyboardOrder(form.get())) reached.insert(w);
    for (QWidget* w : std::initializer_list<QWidget*>{form->ScanB, form->CabinetList, form->UpdateAllB})
        EXPECT_TRUE(reached.count(w)) << test::accessibleNameOf(w).toStdString();
}

TEST_F(WholeRig, NoModuleAnsweringSaysSoAndLeavesNothingToUpdate) {
    make({cabinet(kM09)});
    // A port where nothing answers.
    sim::LoopbackUdpSocket nobody(0);
    settings.udpPort = nobody.port();
    press(form->ScanB);
    EXPECT_EQ(form->CabinetList->topLevelItemCount(), 0);
    EXPECT_EQ(form->StatusLabel->text(), "No Devices Found");
    EXPECT_FALSE(form->UpdateAllB->isEnabled());
}

TEST_F(WholeRig, UpdateAllLoadsTheCheckedCabinetsEachRowShowingItsOwnRunAndOneMessageSaysWhichNeedAttention) {
    if (test::underWine()) GTEST_SKIP() << "Wine answers every loopback address from 127.0.0.1";
    sim::RigCabinet guarded = cabinet(kM09);
    guarded.unit.protectedMemories = {3};
    make({cabinet(kM09), cabinet(kM02), guarded, cabinet(kM02)});
    press(form->ScanB);
    ASSERT_EQ(form->CabinetList->topLevelItemCount(), 4);
    row(3)->setCheckState(TRigForm::CabinetColumn, Qt::Unchecked);

    // What each row showed on the way, as the GUI thread got it.
    std::map<int, QStringList> phases;
    bool frozen = false;
    QObject::connect(form.get(), &TRigForm::rowChanged, form.get(), [&](const RigRowUpdate& u) {
        if (phases[u.row].isEmpty() || phases[u.row].back() != u.phase) phases[u.row] << u.phase;
        // Controls that start another run stay off while this one runs.
        if (form->UpdateAllB->isEnabled() || form->ScanB->isEnabled()) frozen = true;
    }, Qt::QueuedConnection);
    press(form->UpdateAllB);

    EXPECT_FALSE(frozen);
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(phases[i].contains("connecting")) << i;
        EXPECT_FALSE(phases[i].filter("writing").isEmpty()) << phases[i].join('|').toStdString();
    }
    EXPECT_EQ(phases[1].filter("writing memory ").size(), 4) << phases[1].join('|').toStdString();
    EXPECT_TRUE(phases[1].contains("operating system")) << phases[1].join('|').toStdString();
    EXPECT_EQ(text(1, TRigForm::PhaseColumn), "finished");
    // A cabinet that failed shows where.
    EXPECT_EQ(text(2, TRigForm::PhaseColumn), "writing");
    EXPECT_EQ(text(0, TRigForm::ResultColumn), "completed");
    EXPECT_EQ(text(1, TRigForm::ResultColumn), "completed");
    // The memory that refused is said as such, not as a lost link.
    EXPECT_EQ(text(2, TRigForm::ResultColumn), "failed");
    EXPECT_TRUE(row(2)->toolTip(TRigForm::ResultColumn)
                    .startsWith("failed: Memory 3 is protected: unprotect it on the processor, then run the update "
                                "again. Memories written: 1, 2;"))
        << row(2)->toolTip(TRigForm::ResultColumn).toStdString();
    EXPECT_EQ(form->gauge(0)->value(), 100);
    EXPECT_EQ(form->gauge(1)->value(), 100);
    // The failed cabinet's gauge stays where it stopped, short of the end.
    EXPECT_LT(form->gauge(2)->value(), 100);
    // The unchecked cabinet was left alone.
    EXPECT_FALSE(phases.count(3));
    EXPECT_EQ(text(3, TRigForm::PhaseColumn), "");
    EXPECT_EQ(text(3, TRigForm::ResultColumn), "");
    EXPECT_FALSE(rig->unit(3).memory(1).has_value());
    // Each cabinet got its own model's programs: its unit now reports that model.
    ASSERT_TRUE(rig->unit(1).memory(1).has_value());
    EXPECT_EQ((*rig->unit(1).memory(1))[4], kM02);
    EXPECT_EQ((*rig->unit(0).memory(1))[4], kM09);

    ASSERT_EQ(h.answerer.texts.size(), 1u) << h.answerer.texts.join("\n---\n").toStdString();
    const QString message = h.answerer.texts.front();
    EXPECT_TRUE(message.startsWith("2 of 3 cabinets were updated.")) << message.toStdString();
    EXPECT_TRUE(message.contains("\nCAB03 (127.0.0.4): failed: Memory 3 is protected")) << message.toStdString();
    EXPECT_FALSE(message.contains("CAB01 (")) << message.toStdString();
    EXPECT_EQ(form->StatusLabel->text(), "2 of 3 cabinets updated");
    EXPECT_TRUE(form->UpdateAllB->isEnabled());
    // Update all now retries only the cabinet that needs attention.
    EXPECT_EQ(row(0)->checkState(TRigForm::CabinetColumn), Qt::Unchecked);
    EXPECT_EQ(row(1)->checkState(TRigForm::CabinetColumn), Qt::Unchecked);
    EXPECT_EQ(row(2)->checkState(TRigForm::CabinetColumn), Qt::Checked);
    EXPECT_EQ(row(3)->checkState(TRigForm::CabinetColumn), Qt::Unchecked);
}

// A blank cabinet is what an installer loads: its row offers a model, set to the one its module
// reports; the lists are named and reached by the keyboard. A row left without a model is
// skipped with the way forward; choosing one and Update all loads just that cabinet, and the
// Model column then shows what each unit reports.
TEST_F(WholeRig, ABlankCabinetIsLoadedWithTheModelItsRowOffers) {
    if (test::underWine()) GTEST_SKIP() << "Wine answers every loopback address from 127.0.0.1";
    const int m06ps = ModelCatalogue::modelCode(*ModelCatalogue::find("M06ps"));
    sim::RigCabinet labelled = cabinet(m06ps), unlabelled = cabinet(kM02);
    labelled.unit.empty = true;
    labelled.model = "M06ps";
    unlabelled.unit.modelCode = 1;  // a program without a model code
    unlabelled.model.clear();
    make({cabinet(kM09), labelled, unlabelled});
    press(form->ScanB);
    ASSERT_EQ(form->CabinetList->topLevelItemCount(), 3);
    EXPECT_EQ(form->modelChoice(0), nullptr);
    ASSERT_NE(form->modelChoice(1), nullptr);
    ASSERT_NE(form->modelChoice(2), nullptr);
    EXPECT_EQ(form->modelChoice(1)->currentText(), "M06ps");
    EXPECT_EQ(form->modelChoice(2)->currentText(), "choose a model");
    EXPECT_EQ(form->modelChoice(1)->accessibleName(), "Model of CAB02 (127.0.0.3)");
    const auto order = test::keyboardOrder(form.get());
    const auto at = [&](QWidget* w) { return std::find(order.begin(), order.end(), w) - order.begin(); };
    EXPECT_LT(at(form->CabinetList), at(form->modelChoice(1)));
    EXPECT_LT(at(form->modelChoice(2)), at(form->UpdateAllB));
    test::expectNamedControls(form.get());

    press(form->UpdateAllB);
    EXPECT_EQ(text(0, TRigForm::ResultColumn), "completed");
    EXPECT_EQ(text(1, TRigForm::ResultColumn), "completed");
    ASSERT_TRUE(rig->unit(1).memory(1).has_value());
    EXPECT_EQ((*rig->unit(1).memory(1))[4], m06ps);
    EXPECT_EQ(form->modelChoice(1), nullptr);
    EXPECT_EQ(text(1, TRigForm::ModelColumn), "M06ps");
    EXPECT_EQ(text(2, TRigForm::ResultColumn), "skipped");
    EXPECT_TRUE(row(2)->toolTip(TRigForm::ResultColumn).endsWith("; choose one in its Model column"))
        << row(2)->toolTip(TRigForm::ResultColumn).toStdString();
    EXPECT_FALSE(rig->unit(2).memory(1).has_value());

    form->modelChoice(2)->setCurrentText("M02");
    h.answerer.texts.clear();
    press(form->UpdateAllB);
    EXPECT_EQ(text(2, TRigForm::ResultColumn), "completed");
    EXPECT_EQ(text(2, TRigForm::ModelColumn), "M02");
    EXPECT_EQ((*rig->unit(2).memory(1))[4], kM02);
    ASSERT_EQ(h.answerer.texts.size(), 1u);
    EXPECT_TRUE(h.answerer.texts.front().startsWith("1 of 1 cabinets were updated."))
        << h.answerer.texts.front().toStdString();
    // The cabinets done before were left alone.
    EXPECT_EQ(text(0, TRigForm::ResultColumn), "");
    EXPECT_EQ(rig->unit(0).status().firmwareWrites, 1);
}

// An operating system that may not go to these cabinets is refused once, before any is begun.
TEST_F(WholeRig, AnOperatingSystemRefusedIsSaidOnceAndNoCabinetIsBegun) {
    firmware = chooseFirmware(std::nullopt, false, false);
    ASSERT_FALSE(firmware.refusal.empty());
    make({cabinet(kM09), cabinet(kM02)});
    press(form->ScanB);
    test::click(form->UpdateAllB);
    ASSERT_TRUE(test::waitFor([&] { return !h.answerer.texts.isEmpty(); }));
    h.settle();
    EXPECT_EQ(h.answerer.texts, QStringList{QString::fromStdString(firmware.refusal)});
    EXPECT_FALSE(form->running());
    EXPECT_EQ(text(0, TRigForm::PhaseColumn), "");
    // The scan read each unit back; nothing was written.
    for (std::size_t i = 0; i < 2; ++i)
        for (const auto& r : rig->unit(i).records())
            EXPECT_TRUE(r.command == 0 || r.command == 4 || r.kind == "read-back") << i << ": " << r.command;
}

// Stop ends the run after each cabinet's current exchange; the window stays, and so do the
// cabinets that need attention, checked for the next Update all.
TEST_F(WholeRig, StopDuringARunStopsEveryCabinetAndTheWindowStays) {
    if (test::underWine()) GTEST_SKIP() << "Wine answers every loopback address from 127.0.0.1";
    make({cabinet(kM09, 57600), cabinet(kM02, 57600)});
    press(form->ScanB);
    EXPECT_FALSE(form->StopB->isEnabled());
    bool ended = false;
    QObject::connect(form.get(), &TRigForm::finished, [&] { ended = true; });
    form->UpdateAllB->setFocus();
    test::click(form->UpdateAllB);
    ASSERT_TRUE(test::waitFor([&] { return text(0, TRigForm::PhaseColumn).startsWith("writing"); }, 30000));
    EXPECT_TRUE(form->StopB->isEnabled());
    EXPECT_FALSE(form->UpdateAllB->isEnabled());
    test::click(form->StopB);
    EXPECT_EQ(form->StatusLabel->text(), "Stopping after the current step...");
    EXPECT_FALSE(form->StopB->isEnabled());
    ASSERT_TRUE(test::waitFor([&] { return ended; }, 60000));

    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(text(0, TRigForm::ResultColumn), "stopped");
    EXPECT_EQ(text(1, TRigForm::ResultColumn), "stopped");
    EXPECT_EQ(row(0)->checkState(TRigForm::CabinetColumn), Qt::Checked);
    EXPECT_FALSE(form->StopB->isEnabled());
    EXPECT_TRUE(form->UpdateAllB->isEnabled());
    ASSERT_EQ(h.answerer.texts.size(), 1);
    EXPECT_TRUE(h.answerer.texts.back().startsWith("0 of 2 cabinets were updated."))
        << h.answerer.texts.back().toStdString();
}

TEST_F(WholeRig, NothingCheckedSaysSoAndStartsNothing) {
    make({cabinet(kM09)});
    press(form->ScanB);
    row(0)->setCheckState(TRigForm::CabinetColumn, Qt::Unchecked);
    test::click(form->UpdateAllB);
    EXPECT_TRUE(test::waitFor([&] { return !h.answerer.texts.isEmpty(); }));
    EXPECT_EQ(h.answerer.texts, QStringList{"No cabinet is checked."});
    EXPECT_FALSE(form->running());
    EXPECT_FALSE(rig->unit(0).memory(1).has_value());
}

TEST_F(WholeRig, ClosingDuringARunAsksThenStopsEveryCabinetAndClosesWhenItEnded) {
    if (test::underWine()) GTEST_SKIP() << "Wine answers every loopback address from 127.0.0.1";
    // At the wire's pace a run lasts long enough to be closed in the middle.
    make({cabinet(kM09, 57600), cabinet(kM02, 57600)});
    press(form->ScanB);
    bool ended = false;
    QObject::connect(form.get(), &TRigForm::finished, [&] { ended = true; });
    test::click(form->UpdateAllB);
    ASSERT_TRUE(test::waitFor([&] { return text(0, TRigForm::PhaseColumn).startsWith("writing"); }, 30000));

    // No: the run goes on.
    h.answerer.answers = {"No"};
    form->CerrarIconClick();
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(form->running());
    // Yes: every cabinet stops after its current exchange.
    h.answerer.answers = {"Yes"};
    form->CerrarIconClick();
    EXPECT_TRUE(form->isVisible());
    ASSERT_TRUE(test::waitFor([&] { return ended; }, 60000));

    EXPECT_FALSE(form->isVisible());
    ASSERT_GE(h.answerer.texts.size(), 3);
    EXPECT_EQ(h.answerer.texts[0], "An update is running. Stop it after the current step?");
    EXPECT_TRUE(h.answerer.texts.back().startsWith("0 of 2 cabinets were updated.")) << h.answerer.texts.back().toStdString();
    EXPECT_EQ(text(0, TRigForm::ResultColumn), "stopped");
    EXPECT_EQ(text(1, TRigForm::ResultColumn), "stopped");
}

TEST(EthernetWindowRig, WholeRigOpensTheRigWindowAndScansItOnce) {
    WindowHarness h;
    sim::SimulatedRig rig({cabinet(kM09), cabinet(kM02)});
    TEM100Form ethernet(h.context, h.firmware);
    ethernet.settings.broadcast = sim::kRigDiscoveryAddress;
    ethernet.settings.udpPort = rig.udpPort();
    ethernet.settings.tcpPort = rig.tcpPort();
    ethernet.settings.scanTime = 300ms;
    EXPECT_EQ(test::accessibleNameOf(ethernet.WholeRigB), "Whole rig");
    test::click(ethernet.WholeRigB);
    EXPECT_TRUE(ethernet.RigForm->isVisible());
    ASSERT_TRUE(test::waitFor([&] { return ethernet.RigForm->CabinetList->topLevelItemCount() == 2; }));
    h.settle();
    ethernet.RigForm->CerrarIconClick();
    EXPECT_FALSE(ethernet.RigForm->isVisible());
}

} // namespace
} // namespace vela::app
