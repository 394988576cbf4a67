// The designer's Tune dialog: the fit runs while the windows go on, its result goes into the
// preset as one undo step, and a cancelled fit or a refused apply leaves the preset alone.

#include "app/gui_harness.h"
#include "app/summed_view.h"
#include "app/tune_dialog.h"
#include "app/two_way_measurements.h"
#include "app/window_harness.h"
#include "preset/parameter_table.h"
#include "session/preset_document.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace vela::app {
namespace {

struct Tune : ::testing::Test {
    test::WindowHarness h;
    QTemporaryDir dir;
    std::unique_ptr<TuneDialog> dialog;

    void SetUp() override {
        const auto [woofer, tweeter] = test::writeTwoWay(dir.path());
        h.document.set(*findParameter("import.type"), "11");
        h.document.set(*findParameter("import.1"), woofer.toStdString());
        h.document.set(*findParameter("import.2"), tweeter.toStdString());
        dialog = std::make_unique<TuneDialog>(h.document);
        dialog->show();
    }
    // The preset as saved, always to one file: the file keeps its own path.
    QByteArray saved() {
        const QString path = dir.path() + "/preset.hdp";
        EXPECT_TRUE(h.document.saveAs(path.toStdString()));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return f.readAll();
    }
    // Runs the fit to its end; gives the longest the event loop waited meanwhile, in ms.
    qint64 fitToTheEnd() {
        QElapsedTimer sinceLast;
        qint64 longest = 0;
        QTimer beat;
        beat.setInterval(5);
        QObject::connect(&beat, &QTimer::timeout, [&] {
            longest = std::max(longest, sinceLast.restart());
        });
        QTest::mouseClick(dialog->FitButton, Qt::LeftButton);
        EXPECT_TRUE(dialog->fitting());
        sinceLast.start();
        beat.start();
        EXPECT_TRUE(test::waitFor([&] { return !dialog->fitting(); }, 60000));
        return longest;
    }
};

TEST_F(Tune, AnAppliedFitIsOneUndoStepAndUndoGivesThePresetBackByteForByte) {
    test::expectNamedControls(dialog.get());
    const QByteArray before = saved();
    const std::uint64_t version = h.document.version();
    // The fit runs on a thread of its own: the window goes on being served (a fit on the
    // window's thread would hold it for the whole fit).
    EXPECT_LT(fitToTheEnd(), 500);
    EXPECT_EQ(h.document.version(), version) << "the fit changed the preset before it was applied";
    ASSERT_TRUE(dialog->ApplyButton->isEnabled()) << dialog->StatusText->text().toStdString();
    QTest::mouseClick(dialog->ApplyButton, Qt::LeftButton);
    EXPECT_NE(saved(), before);
    EXPECT_FALSE(dialog->ApplyButton->isEnabled());
    h.document.undo();
    EXPECT_EQ(saved(), before);
    // The import before the fit is the next step back.
    h.document.undo();
    EXPECT_TRUE(h.document.preset().Import.path[1].empty());
}

TEST_F(Tune, ACancelledFitAndARefusedApplyChangeNothing) {
    const QByteArray before = saved();
    QTest::mouseClick(dialog->FitButton, Qt::LeftButton);
    ASSERT_TRUE(dialog->fitting());
    QTest::qWait(50);
    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(dialog->CancelButton, Qt::LeftButton);
    EXPECT_LT(clock.elapsed(), 1000) << "Cancel waited for the fit to end by itself";
    EXPECT_FALSE(dialog->fitting());
    QTest::qWait(50);  // whatever the ended fit still posted
    EXPECT_FALSE(dialog->ApplyButton->isEnabled());
    EXPECT_TRUE(dialog->FitButton->isEnabled());
    EXPECT_EQ(saved(), before);

    // A fit of the preset as it was is refused once the preset has changed.
    fitToTheEnd();
    ASSERT_TRUE(dialog->ApplyButton->isEnabled()) << dialog->StatusText->text().toStdString();
    h.document.set(*findParameter("eq.1.1.gain"), "2");
    const QByteArray edited = saved();
    QTest::mouseClick(dialog->ApplyButton, Qt::LeftButton);
    EXPECT_TRUE(dialog->StatusText->text().contains("changed while the fit ran"));
    EXPECT_EQ(saved(), edited);
    h.document.undo();
    EXPECT_EQ(saved(), before);
    // Nothing stands in the way of the next fit.
    EXPECT_TRUE(dialog->FitButton->isEnabled());
    EXPECT_FALSE(dialog->ApplyButton->isEnabled());
}

// A measurement without phase is refused for the sum, with the way out named; the magnitude-only
// fit then takes it and holds the crossover and the alignment.
TEST_F(Tune, AMeasurementWithoutPhaseTakesTheMagnitudeOnlyFit) {
    QFile plain(dir.path() + "/tweeter-spl.frd");
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.write("Freq(Hz) SPL(dB)\n100 70\n1500 85\n3000 88\n20000 87\n");
    plain.close();
    h.document.set(*findParameter("import.2"), plain.fileName().toStdString());
    QTest::mouseClick(dialog->FitButton, Qt::LeftButton);
    EXPECT_FALSE(dialog->fitting());
    EXPECT_TRUE(dialog->StatusText->text().contains("has no phase")) << dialog->StatusText->text().toStdString();
    EXPECT_TRUE(dialog->StatusText->text().contains("Magnitude only equalises each output alone"));

    dialog->MagnitudeOnlyBox->setFocus();
    QTest::keyClick(dialog->MagnitudeOnlyBox, Qt::Key_Space);
    ASSERT_TRUE(dialog->MagnitudeOnlyBox->isChecked());
    EXPECT_FALSE(dialog->KeepCrossoverBox->isEnabled());
    EXPECT_FALSE(dialog->KeepAlignmentBox->isEnabled());
    fitToTheEnd();
    ASSERT_TRUE(dialog->ApplyButton->isEnabled()) << dialog->StatusText->text().toStdString();
    EXPECT_TRUE(dialog->FiguresText->text().startsWith("Magnitude only"));
}

// The summed view takes its target from a file as the Tune dialog does; a file that is none
// leaves the target flat, says why, and the file can be chosen again.
TEST_F(Tune, TheSummedViewDrawsATargetFromAFile) {
    SummedView view(h.document);
    view.show();
    const auto write = [&](const char* name, const char* text) {
        QFile f(dir.path() + "/" + name);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
        return f.fileName();
    };
    const QString onePoint = write("one.txt", "Freq dB\n1000 0\n");
    const QString tilt = write("tilt.txt", "* house curve\nFreq dB\n100 3\n10000 -3\n");
    QString chosen = onePoint;
    view.chooseTargetFile = [&] { return chosen; };
    // The tilt between the upper tolerance line's ends.
    const auto tiltDb = [&] {
        const plot::Curve& upper = view.Plot->panels().magnitude.curves.front();
        return upper.value.front() - upper.value.back();
    };
    EXPECT_FALSE(view.TargetFileButton->isEnabled());
    view.TargetList->setFocus();
    QTest::keyClick(view.TargetList, Qt::Key_Down);
    QTest::keyClick(view.TargetList, Qt::Key_Down);
    ASSERT_EQ(view.TargetList->currentText(), "From a file");
    EXPECT_NEAR(tiltDb(), 0.0, 1e-9);
    EXPECT_TRUE(view.Plot->panels().magnitude.notes.join(' ').contains("Target: ")) << "the refusal is not shown";
    ASSERT_TRUE(view.TargetFileButton->isEnabled());
    chosen = tilt;
    QTest::mouseClick(view.TargetFileButton, Qt::LeftButton);
    EXPECT_NEAR(tiltDb(), 6.0, 0.3);
    EXPECT_FALSE(view.Plot->panels().magnitude.notes.join(' ').contains("Target: "));
}

// An overlay chosen for tuning takes the place of its output's measurement in one undoable
// edit; the measurement it replaced is kept as an overlay.
TEST_F(Tune, AnOverlayUsedForTuningSwapsPlacesWithTheMeasurement) {
    SummedView view(h.document);
    view.show();
    test::expectNamedControls(&view);
    const std::string tweeter = h.document.preset().Import.path[1];
    const QString offAxis = test::two_way::write(dir.path() + "/tweeter-30.frd", true, 9000);
    view.chooseOverlayFile = [&](int output) { return output == 2 ? offAxis : QString(); };
    QTest::mouseClick(view.AddOverlayButtons[1], Qt::LeftButton);
    ASSERT_EQ(view.OverlayList->currentText(), "Output 2: tweeter-30.frd");
    QTest::mouseClick(view.UseForTuningButton, Qt::LeftButton);
    EXPECT_EQ(h.document.preset().Import.path[1], offAxis.toStdString());
    ASSERT_EQ(view.OverlayList->count(), 1);
    EXPECT_EQ(view.OverlayList->currentText(), "Output 2: tweeter.frd");
    h.document.undo();
    EXPECT_EQ(h.document.preset().Import.path[1], tweeter);
}

}  // namespace
}  // namespace vela::app
