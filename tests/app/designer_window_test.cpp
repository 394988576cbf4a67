// The Preset Designer against the simulated unit in this process: each kind of control stores
// what the parameter's own setter stores, undo gives the same file back, a band moves by its
// named field and by its handle, and real-time frames reach the unit.

#include "app/designer_controls.h"
#include "app/designer_plot.h"
#include "app/designer_window.h"
#include "app/document_link.h"
#include "app/led_button.h"
#include "app/window_harness.h"
#include "core/input_file.h"
#include "dsp/sos.h"
#include "plot/plot_panel.h"
#include "preset/equaliser_procedures.h"
#include "preset/parameter_table.h"
#include "session/preset_document.h"

#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QWheelEvent>
#include <QApplication>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

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
    // What the same value gives through the parameter's own setter, on a preset of its own.
    std::vector<std::uint8_t> savedBySetter(const std::string& key, const std::string& value) {
        PresetDocument other(h.ui);
        other.set(*findParameter(key), value);
        return saved(other);
    }
    void expectSameAsSetter(const std::string& key, const std::string& value) {
        const auto before = saved(h.document);
        EXPECT_EQ(saved(h.document), savedBySetter(key, value)) << key << "=" << value;
        EXPECT_NE(before, std::vector<std::uint8_t>{}) << key;
    }
};

TEST_F(Designer, EachKindOfControlStoresExactlyWhatItsSetterStores) {
    const auto fresh = saved(h.document);
    // Whole and fractional numbers, typed.
    const std::vector<std::pair<QString, std::string>> typed = {
        {"Output 1 band 3 frequency", "250.5"}, {"Output 1 band 3 gain", "-4.5"}, {"Output 1 band 3 Q", "2.5"},
        {"Output 2 high-pass frequency", "80"},  {"Output 1 delay", "64"},         {"Output 1 gain", "-3.2"},
        {"Output 1 RMS threshold", "-12.5"},     {"Temperature", "31"},            {"Project name", "Arena"},
    };
    for (const auto& [name, value] : typed) {
        h.document.reset();
        type(named(name), QString::fromStdString(value));
        const Parameter* p = nullptr;
        for (const Parameter& q : parameterTable())
            if (q.accessibleName == name.toStdString()) p = &q;
        ASSERT_NE(p, nullptr) << name.toStdString();
        EXPECT_NE(saved(h.document), fresh) << name.toStdString();
        expectSameAsSetter(p->key, value);
    }
    // A switch by the space bar.
    h.document.reset();
    auto* mute = qobject_cast<QCheckBox*>(named("Output 1 mute"));
    reveal(mute);
    mute->setFocus();
    QTest::keyClick(mute, Qt::Key_Space);
    expectSameAsSetter("out.1.mute", "1");
    // A choice by the arrow keys: the type after Bypass.
    h.document.reset();
    auto* type = qobject_cast<QComboBox*>(named("Output 1 band 3 type"));
    reveal(type);
    type->setFocus();
    QTest::keyClick(type, Qt::Key_Down);
    expectSameAsSetter("eq.1.3.type", std::string(kFilterListTexts[1]));
    h.document.reset();
    auto* alignment = qobject_cast<QComboBox*>(named("Output 2 low-pass alignment"));
    reveal(alignment);
    alignment->setFocus();
    QTest::keyClick(alignment, Qt::Key_Down);
    expectSameAsSetter("xover.2.lp.alignment", alignment->currentText().toStdString());
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
    EXPECT_FALSE(window.NoticeBanner->isVisible());
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

}  // namespace
}  // namespace vela::app
