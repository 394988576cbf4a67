// The Preset Designer against the simulated unit in this process: each kind of control stores
// what the parameter's own setter stores, undo gives the same file back, a band moves by its
// named field and by its handle, and real-time frames reach the unit.

#include "app/designer_controls.h"
#include "app/designer_plot.h"
#include "app/connect_form.h"
#include "app/designer_window.h"
#include "app/download_window.h"
#include "app/gui_harness.h"
#include "app/library_form.h"
#include "app/tune_dialog.h"
#include "app/two_way_measurements.h"
#include "app/main_menu.h"
#include "app/document_link.h"
#include "app/led_button.h"
#include "app/window_harness.h"
#include "core/input_file.h"
#include "dsp/sos.h"
#include "plot/plot_panel.h"
#include "preset/equaliser_procedures.h"
#include "preset/measurement_import.h"
#include "preset/parameter_table.h"
#include "session/preset_document.h"

#include <QAbstractSpinBox>
#include <QAccessible>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QWheelEvent>
#include <QApplication>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace vela::app {
namespace {

using test::WindowHarness;

struct Designer : ::testing::Test {
    WindowHarness h;
    DocumentLink link{*h.worker, h.document};
    DesignerWindow window{h.context};
    QTemporaryDir dir;

    void SetUp() override {
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        h.settle();
    }
    // By the accessible name given (a list's accessible name on Linux is its current text).
    QWidget* named(const QString& name) {
        QWidget* w = nullptr;
        for (QWidget* c : window.findChildren<QWidget*>())
            if (c->accessibleName() == name) w = c;
        if (!w) w = test::control(&window, name);
        EXPECT_NE(w, nullptr) << name.toStdString();
        return w;
    }
    // Brings the control's tabs to the front, as a user would before editing it.
    void reveal(QWidget* w) {
        for (QWidget* p = w; p; p = p->parentWidget())
            if (auto* tabs = qobject_cast<QTabWidget*>(p->parentWidget() ? p->parentWidget()->parentWidget() : nullptr))
                tabs->setCurrentWidget(p);
        ASSERT_TRUE(w->isVisible());
    }
    // The keyboard alone: focus, the new text, Enter.
    void type(QWidget* w, const QString& text) {
        reveal(w);
        w->setFocus();
        if (auto* box = qobject_cast<QAbstractSpinBox*>(w)) {
            box->selectAll();
            QTest::keyClicks(box, text);
            QTest::keyClick(box, Qt::Key_Return);
        } else if (auto* field = qobject_cast<QLineEdit*>(w)) {
            field->selectAll();
            QTest::keyClicks(field, text);
            QTest::keyClick(field, Qt::Key_Return);
        }
    }
    std::vector<std::uint8_t> saved(PresetDocument& d) {
        const std::string file = dir.filePath("preset.hdp").toStdString();
        EXPECT_TRUE(d.saveAs(file));
        std::string error;
        return readInputFile(file, 1 << 20, error).value_or(std::vector<std::uint8_t>{});
    }
};

TEST_F(Designer, EachKindOfControlStoresTheValueGiven) {
    // Whole and fractional numbers, typed; each checked where the preset keeps it.
    const PresetParameters& p = h.document.preset();
    const std::vector<std::pair<QString, QString>> typed = {
        {"Output 1 band 3 frequency", "250.5"}, {"Output 1 band 3 gain", "-4.5"}, {"Output 1 band 3 Q", "2.5"},
        {"Output 2 high-pass frequency", "80"},  {"Output 1 delay", "64"},         {"Output 1 gain", "-3.2"},
        {"Output 1 RMS threshold", "-12.5"},     {"Temperature", "31"},            {"Project name", "Arena"},
    };
    for (const auto& [name, value] : typed) type(named(name), value);
    EXPECT_EQ(p.band(0, 3).Frequency, 250.5);
    EXPECT_EQ(p.band(0, 3).Gain, -4.5);
    EXPECT_EQ(p.band(0, 3).Q, 2.5);
    EXPECT_EQ(p.Crossovers[1].HighPass.Frequency, 80.0);
    EXPECT_EQ(p.OutputDelay[0], 64);
    EXPECT_NEAR(p.OutputGain[0], std::pow(10.0, -3.2 / 20), 1e-9);
    EXPECT_EQ(p.RmsDynamics[0].ThresholdDb, -12.5f);
    EXPECT_EQ(p.Temperature, 31);
    EXPECT_EQ(p.SystemInfo.ProjectName.text(), "Arena");
    // A switch by the space bar.
    auto* mute = qobject_cast<QCheckBox*>(named("Output 1 mute"));
    reveal(mute);
    mute->setFocus();
    QTest::keyClick(mute, Qt::Key_Space);
    EXPECT_TRUE(p.MuteOutput[0].on());
    EXPECT_EQ(p.MuteFactor[0], 0.0);
    // Choices by the arrow keys: the band type after Bypass is "Parametric Q adap", code 1; the
    // low-pass alignment after ByPass is Butterworth.
    auto* type = qobject_cast<QComboBox*>(named("Output 1 band 3 type"));
    reveal(type);
    type->setFocus();
    QTest::keyClick(type, Qt::Key_Down);
    EXPECT_EQ(p.band(0, 3).FilterType, 1);
    auto* alignment = qobject_cast<QComboBox*>(named("Output 2 low-pass alignment"));
    reveal(alignment);
    alignment->setFocus();
    QTest::keyClick(alignment, Qt::Key_Down);
    EXPECT_EQ(alignment->currentText(), "ButtW");
    EXPECT_EQ(p.Crossovers[1].LowPass.Alignment, 1);  // Butterworth on the low-pass edge
}

TEST_F(Designer, ATypedValueOutOfRangeIsLimitedAndShownLimited) {
    auto* gain = qobject_cast<QAbstractSpinBox*>(named("Output 1 band 3 gain"));
    type(gain, "40");
    EXPECT_EQ(h.document.preset().band(0, 3).Gain, 12.0);
    EXPECT_EQ(gain->text(), "12.0 dB");
    type(gain, "-99");
    EXPECT_EQ(h.document.preset().band(0, 3).Gain, -15.0);
    // The output delay's control holds samples: -1 is its lowest, legal, setting.
    auto* delay = qobject_cast<QAbstractSpinBox*>(named("Output 2 delay"));
    type(delay, "-50");
    EXPECT_EQ(h.document.preset().OutputDelay[1], -1);
    EXPECT_EQ(delay->text(), "-1 samples");
}

TEST_F(Designer, UndoGivesTheSameFileBackAndRedoTheEditedOne) {
    const auto fresh = saved(h.document);
    type(named("Output 1 band 2 frequency"), "3150");
    type(named("Output 2 gain"), "-6");
    type(named("Output 1 RMS threshold"), "-20");
    const auto edited = saved(h.document);
    EXPECT_FALSE(h.document.modified());
    for (int i = 0; i < 3; ++i) QTest::mouseClick(window.UndoButton, Qt::LeftButton);
    QApplication::processEvents();  // the controls follow once the event loop comes round
    EXPECT_FALSE(window.UndoButton->isEnabled());
    EXPECT_TRUE(h.document.modified());
    EXPECT_EQ(saved(h.document), fresh);
    // The controls show the values undone.
    EXPECT_EQ(qobject_cast<QAbstractSpinBox*>(named("Output 2 gain"))->text(), "0.0 dB");
    // The keys work from a field: they undo the preset's edits, not the field's typing.
    QWidget* field = QApplication::focusWidget();
    ASSERT_NE(field, nullptr);
    for (int i = 0; i < 3; ++i) QTest::keyClick(field, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(saved(h.document), edited);
    QTest::keyClick(field, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(h.document.preset().RmsDynamics[0].ThresholdDb, PresetDocument(h.ui).preset().RmsDynamics[0].ThresholdDb);
}

TEST_F(Designer, ABandMovesByItsHandleWhichStaysUnderThePointer) {
    h.document.set(*findParameter("eq.1.3.type"), "Parametric Q const");
    ResponseView& plot = window.response(0);
    // Every band starts at 1 kHz: the band whose field has the focus is the handle on top.
    named("Output 1 band 3 frequency")->setFocus();
    ASSERT_EQ(plot.selectedBand(), 3);
    const QPoint start = plot.handlePosition(3).toPoint();
    const QPoint end = start + QPoint(90, -40);
    QTest::mousePress(&plot, Qt::LeftButton, {}, start);
    QTest::mouseMove(&plot, start + QPoint(40, -10));
    QTest::mouseRelease(&plot, Qt::LeftButton, {}, end);
    const dsp::TSOS& band = h.document.preset().band(0, 3);
    EXPECT_GT(band.Frequency, 1000.0);
    EXPECT_GT(band.Gain, 0.0);
    const QPointF now = plot.handlePosition(3);
    EXPECT_NEAR(now.x(), end.x(), 1.5);
    EXPECT_NEAR(now.y(), end.y(), 2.0);
    // The field shows what the handle set, and one undo takes the whole drag back.
    QApplication::processEvents();
    EXPECT_EQ(qobject_cast<QAbstractSpinBox*>(named("Output 1 band 3 gain"))->text(),
              QString::number(band.Gain, 'f', 1) + " dB");
    window.UndoButtonClick();
    EXPECT_EQ(h.document.preset().band(0, 3).Frequency, 1000.0);
    EXPECT_EQ(h.document.preset().band(0, 3).Gain, 0.0);

    // The wheel over a handle changes its Q, and nothing else.
    const double q = h.document.preset().band(0, 3).Q;
    QWheelEvent wheel(plot.handlePosition(3), plot.mapToGlobal(plot.handlePosition(3)), {}, {0, 120}, Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&plot, &wheel);
    EXPECT_GT(h.document.preset().band(0, 3).Q, q);
    EXPECT_EQ(h.document.preset().band(0, 3).Frequency, 1000.0);
    EXPECT_EQ(window.coefficientsText(0).section('\n', 0, 0), "Band 3 coefficients");
}

TEST_F(Designer, ClosingWithUnsavedChangesAsks) {
    type(named("Output 1 gain"), "-2");
    h.answerer.answers = {"Cancel"};
    window.close();
    EXPECT_TRUE(h.answerer.said("Do you want to save the present configuration?"));
    EXPECT_TRUE(window.isVisible());
    h.answerer.answers = {"No"};
    window.close();
    EXPECT_FALSE(window.isVisible());
}

TEST_F(Designer, ARefusedValueShowsInTheBannerAndChangesNothing) {
    const auto fresh = saved(h.document);
    window.controls().set("eq.1.1.type", "Lowpass Elliptic");
    EXPECT_TRUE(window.NoticeBanner->isVisible());
    EXPECT_TRUE(window.NoticeBanner->text().contains("eq.1.1.type")) << window.NoticeBanner->text().toStdString();
    EXPECT_FALSE(h.document.canUndo());
    EXPECT_EQ(saved(h.document), fresh);
    window.controls().set("eq.1.1.gain", "3");
    EXPECT_FALSE(window.NoticeBanner->text().contains("eq.1.1.type")) << window.NoticeBanner->text().toStdString();
}

TEST_F(Designer, EveryControlIsNamedAndTheWindowFits) {
    test::expectNamedControls(&window);
    EXPECT_LE(window.width(), 1280);
    EXPECT_LE(window.height(), 800);
    for (const char* name : {"Real time", "Save", "Undo", "Output 1 band 3 type", "Output 2 low-pass alignment",
                             "Output 1 polarity", "Output 1 RMS threshold"})
        EXPECT_NE(named(name), nullptr) << name;
}

TEST_F(Designer, InRealTimeModeABandsLastValueReachesTheUnit) {
    h.worker->run([](Session& s) {
        s.state.Link = LinkKind::USB;
        s.state.UsbActive = true;
    });
    h.settle();
    h.answerer.answers = {"No"};  // real time on what the unit plays: nothing written first
    QTest::mouseClick(window.RealTimeB, Qt::LeftButton);
    h.settle();
    ASSERT_TRUE(h.document.realTimeMode());
    EXPECT_TRUE(window.RealTimeB->ledOn());
    h.document.set(*findParameter("eq.1.3.type"), "Parametric Q const");
    ResponseView& plot = window.response(0);
    plot.setSelectedBand(3);
    const QPoint start = plot.handlePosition(3).toPoint();
    QTest::mousePress(&plot, Qt::LeftButton, {}, start);
    for (int i = 1; i <= 5; ++i) QTest::mouseMove(&plot, start + QPoint(12 * i, -5 * i));
    QTest::mouseRelease(&plot, Qt::LeftButton, {}, start + QPoint(70, -30));
    h.settle();
    // The unit takes the bytes on its own thread: wait for the frame of the drag's end, band 3's
    // five coefficients as the window shows them, at band 3's address.
    const auto words = h.document.preset().band(0, 3).Words();
    const auto address = static_cast<std::uint16_t>(EqualiserBandAddress(0, 3));
    const auto isLast = [&](const std::vector<std::uint8_t>& f) {
        if (f.size() != 27 || f[3] != 0 || f[4] != address >> 8 || f[5] != (address & 0xff)) return false;
        for (std::size_t i = 0; i < 5; ++i) {
            const std::uint32_t w = (std::uint32_t{f[6 + 4 * i]} << 24) | (std::uint32_t{f[7 + 4 * i]} << 16) |
                                    (std::uint32_t{f[8 + 4 * i]} << 8) | f[9 + 4 * i];
            if (w != words[i]) return false;
        }
        return true;
    };
    EXPECT_TRUE(test::waitFor([&] {
        const auto f = h.unit->unit().realTimeFrames();
        return !f.empty() && isLast(f.back());
    }, 5000));
    // Nothing of the drag came after it.
    const auto frames = h.unit->unit().realTimeFrames();
    ASSERT_FALSE(frames.empty());
    EXPECT_TRUE(isLast(frames.back()));
}


// A fit applied in real-time mode reaches the unit at once: the last frame of each band it set
// carries the band's coefficients as the preset now holds them.
TEST_F(Designer, InRealTimeModeAnAppliedFitReachesTheUnit) {
    const auto [woofer, tweeter] = test::writeTwoWay(dir.path());
    h.document.set(*findParameter("import.type"), "11");
    h.document.set(*findParameter("import.1"), woofer.toStdString());
    h.document.set(*findParameter("import.2"), tweeter.toStdString());
    h.worker->run([](Session& s) {
        s.state.Link = LinkKind::USB;
        s.state.UsbActive = true;
    });
    h.settle();
    h.answerer.answers = {"No"};
    QTest::mouseClick(window.RealTimeB, Qt::LeftButton);
    h.settle();
    ASSERT_TRUE(h.document.realTimeMode());
    for (auto* b : window.findChildren<QPushButton*>())
        if (b->isVisible() && b->text() == QStringLiteral("Tune…")) QTest::mouseClick(b, Qt::LeftButton);
    auto* tune = window.findChild<TuneDialog*>();
    ASSERT_NE(tune, nullptr);
    QTest::mouseClick(tune->FitButton, Qt::LeftButton);
    ASSERT_TRUE(test::waitFor([&] { return !tune->fitting(); }, 60000));
    ASSERT_TRUE(tune->ApplyButton->isEnabled()) << tune->StatusText->text().toStdString();
    const std::size_t before = h.unit->unit().realTimeFrames().size();
    QTest::mouseClick(tune->ApplyButton, Qt::LeftButton);
    h.settle();
    int bands = 0;
    for (int out = 0; out < 2; ++out)
        for (int band = 1; band <= 8; ++band) {
            if (h.document.preset().band(out, band).FilterType == dsp::kCodeBypass) continue;
            ++bands;
            const auto words = h.document.preset().band(out, band).Words();
            const auto address = static_cast<std::uint16_t>(EqualiserBandAddress(out, band));
            // The last frame sent to the band's address holds its words.
            const auto lastAtAddress = [&] {
                const auto frames = h.unit->unit().realTimeFrames();
                for (std::size_t i = frames.size(); i-- > before;) {
                    const auto& f = frames[i];
                    if (f.size() != 27 || f[3] != 0 || f[4] != address >> 8 || f[5] != (address & 0xff)) continue;
                    for (std::size_t w = 0; w < 5; ++w)
                        if (((std::uint32_t{f[6 + 4 * w]} << 24) | (std::uint32_t{f[7 + 4 * w]} << 16) |
                             (std::uint32_t{f[8 + 4 * w]} << 8) | f[9 + 4 * w]) != words[w])
                            return false;
                    return true;
                }
                return false;
            };
            EXPECT_TRUE(test::waitFor(lastAtAddress, 5000)) << "output " << out + 1 << " band " << band;
        }
    EXPECT_GT(bands, 0);
}

// What a screen reader hears: the table's name for every list, the real range of every number,
// a unit wherever there is one, the gate by its choices, a delay typed in ms or samples.
TEST_F(Designer, AssistiveTechnologyHearsNamesRangesUnitsAndChoices) {
    for (int band = 1; band <= 8; ++band) {
        const QString name = QStringLiteral("Output 1 band %1 type").arg(band);
        QWidget* list = named(name);
        EXPECT_EQ(test::accessibleNameOf(list), name);
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(list);
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(a->text(QAccessible::Value), "Bypass");
        EXPECT_EQ(a->role(), QAccessible::ComboBox);
    }
    const auto range = [&](const QString& name) {
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(named(name));
        EXPECT_NE(a, nullptr);
        EXPECT_NE(a->valueInterface(), nullptr) << name.toStdString();
        if (!a || !a->valueInterface()) return std::pair<double, double>{};
        return std::pair{a->valueInterface()->minimumValue().toDouble(), a->valueInterface()->maximumValue().toDouble()};
    };
    EXPECT_EQ(range("Output 1 band 3 gain"), (std::pair{-15.0, 12.0}));
    EXPECT_EQ(range("Output 1 band 3 frequency"), (std::pair{10.0, 22000.0}));
    EXPECT_EQ(range("Output 2 delay"), (std::pair{-1.0, 139.0}));
    EXPECT_EQ(range("Output 1 gain"), (std::pair{-30.0, 6.1}));
    EXPECT_EQ(range("Output 1 RMS loudspeaker power"), (std::pair{1.0, 65535.0}));
    for (const auto& [name, suffix] : std::initializer_list<std::pair<const char*, const char*>>{
             {"Output 1 RMS decay", " ms"}, {"Output 1 peak decay", " ms"}, {"Output 1 RMS time constant", " dB/s"},
             {"Output 1 RMS hold", " ms"}, {"Output 1 RMS gate ramp", " points"}, {"Output 1 delay", " samples"}}) {
        auto* box = qobject_cast<QAbstractSpinBox*>(named(name));
        ASSERT_NE(box, nullptr) << name;
        EXPECT_TRUE(box->text().endsWith(suffix)) << name << ": " << box->text().toStdString();
    }
    // New leaves the gate at 0, no gate; the list offers the sixteen levels after it.
    auto* gate = qobject_cast<QComboBox*>(named("Output 1 RMS gate"));
    ASSERT_NE(gate, nullptr);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(gate)->text(QAccessible::Value), "No gate");
    EXPECT_EQ(gate->count(), 17);
    EXPECT_EQ(gate->itemText(1), "Bypass");
    EXPECT_EQ(gate->itemText(2), "-79 dB (Low Noise)");
    EXPECT_EQ(gate->itemText(5), "-70 dB");
    EXPECT_EQ(gate->itemText(16), "-37 dB (High Noise)");
    reveal(gate);
    gate->setFocus();
    QTest::keyClick(gate, Qt::Key_Down);
    QTest::keyClick(gate, Qt::Key_Down);
    EXPECT_EQ(h.document.preset().RmsDynamics[0].GateSetting, 2.0f);
    // A level a file holds beyond the list shows as its number.
    window.controls().set("rms.1.gate", "20");
    EXPECT_EQ(gate->currentText(), "20");
    // A delay in ms: 2 ms is 96 samples at 48 kHz; beyond the range it is limited.
    auto* delay = named("Output 1 delay");
    type(delay, "2 ms");
    EXPECT_EQ(h.document.preset().OutputDelay[0], 96);
    type(delay, "5 ms");
    EXPECT_EQ(h.document.preset().OutputDelay[0], 139);
    type(delay, "12");
    EXPECT_EQ(h.document.preset().OutputDelay[0], 12);
    // The measurement formats by name.
    auto* format = qobject_cast<QComboBox*>(named("Import format"));
    ASSERT_NE(format, nullptr);
    EXPECT_EQ(format->currentText(), "CLIO");
    EXPECT_GE(format->findText("FRD"), 0);
    EXPECT_GE(format->findText("SIA Smaart Pro - Transfer Function"), 0);
}

// The power warning and the peak tables follow the preset as it stands: at opening, after an
// edit, after undo; the dynamics page shows the power check's report.
TEST_F(Designer, TheBannerAlwaysSaysWhatThePresetAsItStandsWarnsOf) {
    // New's defaults put 1803.4 W into a 400 W box.
    const QString over1 = "RMS dynamics 1: WARNING!!! The Out Power exceeds your Box Power capacity! (1803.4 W)";
    EXPECT_TRUE(window.NoticeBanner->isVisible());
    EXPECT_TRUE(window.NoticeBanner->text().contains(over1)) << window.NoticeBanner->text().toStdString();
    auto* report = named("Output 1 power report");
    auto* label = qobject_cast<QLabel*>(report);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), "Max RMS Out Power : 1803.4 Watts\nMax RMS Out Voltage : 2.930 vrms\n"
                             "Max Peak Voltage : 5.589 Vp");
    for (const char* key : {"rms.1.boxpower", "rms.2.boxpower"}) window.controls().set(key, "2000");
    QApplication::processEvents();
    EXPECT_FALSE(window.NoticeBanner->isVisible()) << window.NoticeBanner->text().toStdString();
    window.controls().set("rms.1.threshold", "-3");
    QApplication::processEvents();
    EXPECT_TRUE(window.NoticeBanner->text().contains("RMS dynamics 1: WARNING!!!"));
    // Undo restores the safe threshold, and the banner goes with the warning.
    window.UndoButtonClick();
    QApplication::processEvents();
    EXPECT_FALSE(window.NoticeBanner->isVisible()) << window.NoticeBanner->text().toStdString();
    window.UndoButtonClick();
    QApplication::processEvents();
    EXPECT_TRUE(window.NoticeBanner->text().contains("RMS dynamics 2: WARNING!!!"));
    EXPECT_FALSE(window.NoticeBanner->text().contains(over1));
}

TEST_F(Designer, OpeningAFileWhosePeakTablesAreKeptSaysSoInTheBannerNotInABox) {
    // A preset whose peak limiter of output 2 is set otherwise than New's: opened again, it
    // keeps New's peak table.
    window.controls().set("peak.2.threshold", "-10");
    const std::string file = dir.filePath("peak.hdp").toStdString();
    ASSERT_TRUE(h.document.saveAs(file));
    window.chooseOpenFile = [&] { return QString::fromStdString(file); };
    window.OpenButtonClick();
    QApplication::processEvents();
    EXPECT_TRUE(h.answerer.texts.isEmpty()) << h.answerer.texts.join(" | ").toStdString();
    EXPECT_EQ(h.document.preset().PeakDynamics[1].ThresholdDb, -10.0f);
    const QString banner = window.NoticeBanner->text();
    EXPECT_TRUE(banner.contains("Peak limiter of output 2: the unit gets New's table (limiter at -6 dB, knee 4 dB)"))
        << banner.toStdString();
    // The table the unit gets is New's: limiting from -3 dB, not from -10.
    EXPECT_EQ(h.document.preset().PeakDynamics[1].GainTable, PresetDocument(h.ui).preset().PeakDynamics[1].GainTable);
    // An edit of the peak limiter designs its table from the settings, and the notice goes.
    window.controls().set("peak.2.knee", "3");
    QApplication::processEvents();
    EXPECT_FALSE(window.NoticeBanner->text().contains("Peak limiter")) << window.NoticeBanner->text().toStdString();
}

TEST_F(Designer, AMeasurementThatCannotBeImportedSaysWhyInTheBanner) {
    QFile commentsOnly(dir.filePath("comments.frd"));
    ASSERT_TRUE(commentsOnly.open(QIODevice::WriteOnly));
    commentsOnly.write("* exported by a measurement program\n\"no points follow\n");
    commentsOnly.close();
    QFile measured(dir.filePath("woofer.frd"));
    ASSERT_TRUE(measured.open(QIODevice::WriteOnly));
    measured.write("* woofer\n100 93 0\n1000 96 -20\n10000 90 -80\n");
    measured.close();
    auto* format = qobject_cast<QComboBox*>(named("Import format"));
    ASSERT_NE(format, nullptr);
    reveal(format);
    format->setFocus();
    QTest::keyClick(format, Qt::Key_End);
    ASSERT_EQ(h.document.preset().Import.ImportDataType, kFrdFormat);
    // A file that is not there, typed.
    type(named("Measurement file 1"), dir.filePath("missing.frd"));
    EXPECT_TRUE(window.NoticeBanner->isVisible());
    EXPECT_TRUE(window.NoticeBanner->text().contains("missing.frd: no such file")) << window.NoticeBanner->text().toStdString();
    // Comments only, chosen with Browse.
    QPushButton* browse = nullptr;
    for (auto* b : window.findChildren<QPushButton*>())
        if (b->accessibleDescription() == "Choose the output 1 measurement file") browse = b;
    ASSERT_NE(browse, nullptr);
    EXPECT_EQ(browse->text(), "Browse...");
    reveal(browse);
    window.chooseMeasurementFile = [&](int output) { return output == 1 ? commentsOnly.fileName() : QString(); };
    QTest::mouseClick(browse, Qt::LeftButton);
    EXPECT_TRUE(window.NoticeBanner->text().contains("comments.frd holds no measured point"))
        << window.NoticeBanner->text().toStdString();
    // A measurement: its curve, and no word.
    window.chooseMeasurementFile = [&](int) { return measured.fileName(); };
    QTest::mouseClick(browse, Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(qobject_cast<QLineEdit*>(named("Measurement file 1"))->text(), measured.fileName());
    EXPECT_FALSE(window.NoticeBanner->text().contains(".frd")) << window.NoticeBanner->text().toStdString();
    // Against the reference of 90 dB: 93 dB at 100 Hz rising to 96 dB at 1 kHz, nothing below.
    const PresetParameters& p = h.document.preset();
    EXPECT_EQ(p.Import.curves[0].magnitude[0], kOutsideMagnitude);
    for (std::size_t k = 0; k < kImportPoints; ++k) {
        const double hz = p.Grid.frequency(static_cast<int>(k));
        if (hz >= 100 && hz <= 1000) {
            EXPECT_NEAR(p.Import.curves[0].magnitude[k], 3 + 3 * (hz - 100) / 900, 1e-3) << hz;
        }
    }
}

// Dragging a handle: the scale holds still, so the handle stays under the pointer all the way;
// each drag is an undo step of its own; a bypassed band has no handle.
TEST_F(Designer, ADraggedHandleStaysUnderThePointerAndEachDragIsOneUndoStep) {
    // Band 3 away from the bypassed bands at 1 kHz.
    h.document.set(*findParameter("eq.1.3.type"), "Parametric Q const");
    h.document.set(*findParameter("eq.1.3.freq"), "200");
    h.document.set(*findParameter("eq.1.3.gain"), "-3");
    QApplication::processEvents();
    ResponseView& plot = window.response(0);
    auto* scale = qobject_cast<QComboBox*>(named("Output 1 dB scale"));
    ASSERT_NE(scale, nullptr);
    for (const ResponseView::Scale s : {ResponseView::Scale::Whole, ResponseView::Scale::Equaliser}) {
        scale->setCurrentIndex(s == ResponseView::Scale::Equaliser ? 0 : 1);
        ASSERT_EQ(plot.scale(), s);
        const PresetParameters before = h.document.preset();
        // Upwards by 8 pixels at a time: the gain passes 0 dB, where the whole response's scale
        // would change.
        QPoint at = plot.handlePosition(3).toPoint();
        QTest::mousePress(&plot, Qt::LeftButton, {}, at);
        for (int i = 0; i < 6; ++i) {
            at += QPoint(5, -8);
            QTest::mouseMove(&plot, at);
            EXPECT_NEAR(plot.handlePosition(3).y(), at.y(), 2.0) << "move " << i;
        }
        QTest::mouseRelease(&plot, Qt::LeftButton, {}, at);
        EXPECT_LT(h.document.preset().band(0, 3).Gain, 12.0);
        EXPECT_GT(h.document.preset().band(0, 3).Gain, before.band(0, 3).Gain);
    }
    // Two drags, two steps.
    window.UndoButtonClick();
    const double between = h.document.preset().band(0, 3).Gain;
    EXPECT_GT(between, -3.0);
    window.UndoButtonClick();
    EXPECT_EQ(h.document.preset().band(0, 3).Gain, -3.0);
    // Band 5 is bypassed: no handle, and pressing where it would be moves nothing.
    EXPECT_FALSE(plot.hasHandle(5));
    const QPoint where = plot.handlePosition(5).toPoint();
    QTest::mousePress(&plot, Qt::LeftButton, {}, where);
    QTest::mouseMove(&plot, where + QPoint(40, -40));
    QTest::mouseRelease(&plot, Qt::LeftButton, {}, where + QPoint(40, -40));
    EXPECT_EQ(h.document.preset().band(0, 5).Frequency, 1000.0);
    EXPECT_EQ(h.document.preset().band(0, 5).Gain, 0.0);
}


// Every route that ends the program, with unsaved edits in the designer: Cancel, and Yes whose
// save is cancelled or fails, keep the program running with the edits; No ends it; Yes with a
// save that succeeds ends it with the file written.
TEST(DesignerClosing, EveryRouteThatEndsTheProgramAsksTheDesignerFirst) {
    GuiOptions options = test::GuiHarness::simulated();
    options.designer = true;  // the designer's own close ends the program too
    test::GuiHarness h(sim::SimOptions{}, options);
    int ends = 0;
    WindowSet& w = h.app->windows();
    w.connect->closer().quit = [&ends] { ++ends; };
    DesignerWindow& designer = w.mainMenu->designer();
    QTemporaryDir dir;
    const auto icon = [](QWidget* window) {
        return [window] {
            window->show();
            test::click(test::control(window, "Close"));
        };
    };
    const auto windowManager = [](QWidget* window) {
        return [window] {
            QCloseEvent close;
            QApplication::sendEvent(window, &close);
        };
    };
    const std::vector<std::pair<const char*, std::function<void()>>> routes = {
        {"connection window's close icon", icon(w.connect)},
        {"library window's close icon", icon(w.library)},
        {"processor window's close icon", icon(w.mainMenu)},
        {"connection window closed by the window manager", windowManager(w.connect)},
        {"library window closed by the window manager", windowManager(w.library)},
        {"processor window closed by the window manager", windowManager(w.mainMenu)},
        {"the updater about to start", [&] { emit h.app->download().quitRequested(); }},
        {"the designer's own close", [&] { designer.close(); }},
    };
    const QString question = "Do you want to save the present configuration?";
    int edit = 0;
    for (const auto& [route, close] : routes) {
        SCOPED_TRACE(route);
        h.app->document().set(*findParameter("out.1.gain"), std::to_string(-1 - edit++));
        const int before = ends;
        h.boxes.texts.clear();
        h.boxes.answers = {"Cancel"};
        close();
        EXPECT_TRUE(h.boxes.said(question));
        EXPECT_EQ(ends, before);
        // Yes, and the file dialog cancelled.
        designer.chooseSaveFile = [] { return QString(); };
        h.boxes.answers = {"Yes"};
        close();
        EXPECT_EQ(ends, before);
        // Yes, and the save fails: its folder is not there.
        designer.chooseSaveFile = [&] { return dir.filePath("gone/preset.hdp"); };
        h.boxes.answers = {"Yes", "OK"};
        close();
        EXPECT_EQ(ends, before);
        EXPECT_TRUE(h.app->document().modified());
        EXPECT_NEAR(h.app->document().preset().OutputDb[0], -edit, 1e-9);
        // No: the program ends, asked once.
        h.boxes.texts.clear();
        h.boxes.answers = {"No"};
        close();
        EXPECT_EQ(ends, before + 1);
        EXPECT_EQ(h.boxes.texts.count(question), 1);
    }
    // Yes with a save that succeeds.
    h.app->document().set(*findParameter("out.1.gain"), "-12");
    const QString file = dir.filePath("kept.hdp");
    designer.chooseSaveFile = [&] { return file; };
    h.boxes.answers = {"Yes"};
    icon(w.connect)();
    EXPECT_EQ(ends, static_cast<int>(routes.size()) + 1);
    EXPECT_FALSE(h.app->document().modified());
    EXPECT_TRUE(QFile::exists(file));
}

}  // namespace
}  // namespace vela::app
