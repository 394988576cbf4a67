// Real-time frames queued by an editor on the window thread: the worker sends them between
// operations, never inside one, and the newest value per parameter arrives. Real-time mode is
// the session's: a lost link ends it in every window, and a cancelled or refused Open leaves
// it, and the preset, as they were.
#include "app/application.h"
#include "app/connect_form.h"
#include "app/designer_link_bar.h"
#include "app/designer_window.h"
#include "app/document_link.h"
#include "app/led_button.h"
#include "app/library_form.h"
#include "app/main_menu.h"
#include "app/window_harness.h"
#include "dsp/coefficient_word.h"
#include "link/realtime_queue.h"
#include "preset/output_procedures.h"
#include "preset/parameter_table.h"
#include "session/realtime_mode.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <fstream>

namespace vela::test {
namespace {

using Frame = std::vector<std::uint8_t>;

std::vector<Frame> framesWithin(sim::SimulatedUnit& unit, std::size_t count, int ms) {
    QElapsedTimer t;
    t.start();
    auto frames = unit.realTimeFrames();
    while (frames.size() < count && t.elapsed() < ms) {
        QTest::qWait(5);
        frames = unit.realTimeFrames();
    }
    return frames;
}

std::uint32_t firstWord(const Frame& f) {
    return (std::uint32_t{f[6]} << 24) | (std::uint32_t{f[7]} << 16) | (std::uint32_t{f[8]} << 8) | f[9];
}

// Output 1's gain frames: type 3 at its address.
std::vector<Frame> gainFrames(sim::SimulatedUnit& unit) {
    std::vector<Frame> gains;
    for (const Frame& f : unit.realTimeFrames())
        if (f.size() == 11 && f[3] == 3 && ((f[4] << 8) | f[5]) == kOutputGainAddress + 1) gains.push_back(f);
    return gains;
}

std::uint32_t shownGainWord(const PresetDocument& d) {
    return dsp::coefficientWord(d.preset().OutputGain[0] * d.preset().MuteFactor[0]);
}

TEST(RealTimeWorker, FramesWaitForTheOperationUnderWayThenTheNewestGoesOut) {
    WindowHarness h;
    h.worker->run([](Session& s) {
        s.state.Link = LinkKind::USB;
        s.state.UsbActive = true;
        s.state.RealTimeMode = true;
    });
    h.settle();

    std::atomic<bool> release{false};
    h.worker->run([&release](Session&) {
        while (!release) QThread::msleep(2);
    });
    for (std::uint32_t v = 1; v <= 100; ++v) {
        const std::uint32_t words[5] = {v, 0, 0, 0, 0};
        h.worker->realTimeQueue().send(dsp::RealTimeType::FiveWords, 21, words);
    }
    QTest::qWait(50);
    EXPECT_TRUE(h.unit->unit().realTimeFrames().empty());  // nothing cuts into the operation
    release = true;
    h.settle();
    const auto frames = framesWithin(h.unit->unit(), 1, 5000);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0][9], 100);

    // Between operations a frame goes out at once.
    const std::uint32_t words[1] = {7};
    h.worker->realTimeQueue().send(dsp::RealTimeType::OneWordType3, 2560, words);
    const auto later = framesWithin(h.unit->unit(), 2, 5000);
    ASSERT_EQ(later.size(), 2u);
    EXPECT_EQ(later[1][3], 3);
    EXPECT_EQ(later[1][9], 7);
}

// A held spin box on a unit that reads at 57600 baud: the output gain names its target before
// every value, and still only its newest value waits, so the unit ends with what the window
// shows instead of working through a backlog.
TEST(RealTimeWorker, APacedUnitTakesAHeldControlsLastValueOnce) {
    sim::SimOptions paced;
    paced.baud = 57600;
    WindowHarness h(paced);
    app::DocumentLink link(*h.worker, h.document);
    h.worker->run([](Session& s) {
        s.state.Link = LinkKind::USB;
        s.state.UsbActive = true;
        s.state.RealTimeMode = true;
    });
    h.settle();
    ASSERT_TRUE(h.document.realTimeMode());

    std::atomic<bool> release{false};
    h.worker->run([&release](Session&) {
        while (!release) QThread::msleep(2);
    });
    const Parameter& gain = *findParameter("out.1.gain");
    for (int i = 0; i < 100; ++i) h.document.set(gain, std::to_string(-20.0 + 0.1 * i), "hold");
    EXPECT_EQ(h.worker->realTimeQueue().waiting(), 1u);
    release = true;
    h.settle();
    ASSERT_TRUE(waitFor([&] { return !gainFrames(h.unit->unit()).empty(); }, 5000));
    QTest::qWait(50);  // anything queued behind it would have crossed the line by now
    const auto gains = gainFrames(h.unit->unit());
    ASSERT_EQ(gains.size(), 1u);
    EXPECT_EQ(gains[0][2], 0);  // the output gains' target
    EXPECT_EQ(firstWord(gains[0]), shownGainWord(h.document));
}

// The designer and the processor window on one session that reaches the unit over USB.
struct Tuning : ::testing::Test {
    WindowHarness h;
    app::DocumentLink link{*h.worker, h.document};
    app::DesignerWindow window{h.context};
    app::TMainMenu menu{h.context, h.firmware};
    QTemporaryDir dir;

    void SetUp() override {
        window.show();
        h.settle();
        connect();
        switchRealTimeOn();
    }
    void connect() {
        click(window.LinkBar->ConnectB);
        h.settle();
        ASSERT_EQ(window.LinkBar->LinkStatus->text(), "Status : USB");
    }
    // On what the unit plays: the offer to write the window's preset first is declined.
    void switchRealTimeOn() {
        h.answerer.answers = {"No"};
        click(window.RealTimeB);
        h.settle();
        ASSERT_TRUE(window.RealTimeB->ledOn());
        ASSERT_TRUE(h.document.realTimeMode());
    }
    void setGain(const std::string& db) {
        h.document.set(*findParameter("out.1.gain"), db);
        h.settle();
    }
    // The unit holds the gain the window shows.
    bool unitHoldsShownGain() {
        return waitFor(
            [&] {
                const auto gains = gainFrames(h.unit->unit());
                return !gains.empty() && firstWord(gains.back()) == shownGainWord(h.document);
            },
            5000);
    }
    void expectStillTuning() {
        EXPECT_TRUE(window.RealTimeB->ledOn());
        EXPECT_TRUE(menu.RealTimeB->ledOn());
        EXPECT_TRUE(h.session().state.RealTimeMode);
        EXPECT_TRUE(h.document.realTimeMode());
    }
};

TEST_F(Tuning, ALostLinkEndsRealTimeInEveryWindowAndLeavesNothingQueued) {
    setGain("-6");
    ASSERT_TRUE(unitHoldsShownGain());

    h.usbPlugged->store(false);
    setGain("-3");
    ASSERT_TRUE(waitFor([&] { return !window.RealTimeB->ledOn(); }, 5000));
    h.settle();
    EXPECT_TRUE(h.answerer.said("USB ERROR REAL TIME"));
    EXPECT_FALSE(menu.RealTimeB->ledOn());
    EXPECT_FALSE(h.session().state.RealTimeMode);
    EXPECT_FALSE(h.document.realTimeMode());
    EXPECT_EQ(h.worker->realTimeQueue().waiting(), 0u);
    const QString lost = "Status : Offline. The link to the HALDA40 was lost.";
    EXPECT_EQ(window.LinkBar->LinkStatus->text(), lost);
    EXPECT_EQ(menu.InfoLabel->text(), lost);
    EXPECT_EQ(window.LinkBar->ConnectB->text(), "Connect");
    EXPECT_TRUE(window.NoticeBanner->isVisibleTo(&window));
    // The banner also carries what the preset as it stands warns of.
    EXPECT_TRUE(window.NoticeBanner->text().contains(QString::fromUtf8(kRealTimeLinkLost.data(), kRealTimeLinkLost.size())))
        << window.NoticeBanner->text().toStdString();

    // The unit back: real time waits until the user has connected and switched it on again.
    h.usbPlugged->store(true);
    const std::size_t before = gainFrames(h.unit->unit()).size();
    setGain("-9");
    QTest::qWait(50);
    EXPECT_EQ(gainFrames(h.unit->unit()).size(), before);
    connect();
    switchRealTimeOn();
    setGain("-12");
    EXPECT_TRUE(unitHoldsShownGain());
}

TEST_F(Tuning, ACancelledOrRefusedOpenLeavesThePresetAndRealTimeAsTheyWere) {
    setGain("-6");
    const std::string refused = dir.filePath("refused.hdp").toStdString();
    std::ofstream(refused) << "not a preset";
    for (const QString& file : {QString(), QString::fromStdString(refused)}) {
        window.chooseOpenFile = [file] { return file; };
        h.answerer.answers = {"No", "OK"};  // not saved first; the refusal's box
        click(window.OpenButton);
        h.settle();
        EXPECT_DOUBLE_EQ(h.document.preset().OutputDb[0], -6.0) << file.toStdString();
        EXPECT_TRUE(h.document.modified());
        expectStillTuning();
        setGain("-5");
        EXPECT_TRUE(unitHoldsShownGain()) << file.toStdString();
        setGain("-6");
    }
    // The processor window's Open, cancelled at its file dialog, after New's question.
    menu.chooseOpenFile = [] { return QString(); };
    h.answerer.answers = {"No"};
    click(menu.OpenButton);
    h.settle();
    EXPECT_DOUBLE_EQ(h.document.preset().OutputDb[0], -6.0);
    expectStillTuning();

    // New replaces the preset the unit plays: real time ends, shown in every window.
    h.answerer.answers = {"No"};
    click(window.NewButton);
    h.settle();
    EXPECT_FALSE(window.RealTimeB->ledOn());
    EXPECT_FALSE(menu.RealTimeB->ledOn());
    EXPECT_FALSE(h.session().state.RealTimeMode);
    EXPECT_FALSE(h.document.realTimeMode());
    EXPECT_TRUE(window.NoticeBanner->text().contains(
        QString::fromUtf8(kRealTimeOtherPreset.data(), kRealTimeOtherPreset.size())))
        << window.NoticeBanner->text().toStdString();
}

// `velaupdate designer --sim`: the designer goes live with its own Connect, reads the unit back,
// and no installer window (the connection window, the library with its Update) comes up.
TEST(DesignerAlone, ConnectsWithItsOwnLinkAndBringsUpNoInstallerWindow) {
    BoxAnswerer answerer;
    app::GuiOptions options;
    options.link.sim = true;
    options.designer = true;
    app::Application program(options);
    app::DesignerWindow& designer = program.windows().mainMenu->designer();
    program.worker().waitIdle(10000);
    ASSERT_TRUE(designer.isVisible());
    const auto installerWindowsHidden = [&] {
        EXPECT_FALSE(program.windows().connect->isVisible());
        EXPECT_FALSE(program.windows().library->isVisible());
    };
    installerWindowsHidden();
    EXPECT_EQ(designer.LinkBar->LinkStatus->text(), "Status : Offline");

    click(designer.LinkBar->ConnectB);
    program.worker().waitIdle(10000);
    // Probed and read back: a unit that did not answer both would have left the link offline.
    EXPECT_EQ(designer.LinkBar->LinkStatus->text(), "Status : USB");
    EXPECT_EQ(designer.LinkBar->ConnectB->text(), "Disconnect");
    installerWindowsHidden();
    answerer.answers = {"No"};
    click(designer.RealTimeB);
    program.worker().waitIdle(10000);
    EXPECT_TRUE(designer.RealTimeB->ledOn());

    // Disconnect ends real time with the link.
    click(designer.LinkBar->ConnectB);
    program.worker().waitIdle(10000);
    EXPECT_FALSE(designer.RealTimeB->ledOn());
    EXPECT_EQ(designer.LinkBar->LinkStatus->text(), "Status : Offline");
    installerWindowsHidden();
}

}  // namespace
}  // namespace vela::test
