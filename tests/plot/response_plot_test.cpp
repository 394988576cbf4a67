// The response plot drawn into a window's rectangle and written as a picture file.
#include "platform/folders.h"
#include "plot/response_plot.h"
#include "plot/summed_panels.h"
#include "preset/preset_fixture.h"
#include "preset/temp_dir.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

namespace vela {
namespace {

using test::TempDir;

const QColor kUntouched(255, 0, 255);

struct ResponsePlot : ::testing::Test {
    // Lettering needs a GUI application; the offscreen platform needs no display.
    static void SetUpTestSuite() {
        if (QCoreApplication::instance()) return;
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        platform::provideRuntimeDirectory();
        static int argc = 1;
        static char name[] = "plot-test";
        static char* argv[] = {name, nullptr};
        static QGuiApplication app(argc, argv);
    }

    test::PresetFixture preset;  // a New preset

    QImage drawn(const QRectF& target, bool combined) {
        QImage image(900, 700, QImage::Format_ARGB32);
        image.fill(kUntouched);
        QPainter painter(&image);
        plot::drawResponsePlot(painter, target, preset.p(), "NoName", combined);
        EXPECT_TRUE(painter.transform().isIdentity());  // the caller's painter is left as it was
        return image;
    }
};

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST_F(ResponsePlot, FitsItsTargetInItsOwnProportionsAndPaintsNothingOutside) {
    // 800 x 520 is wider than the plot: at half size it is 700 wide, centred from x = 150.
    const QRectF target(100, 100, 800, 520);
    for (const bool combined : {false, true}) {
        const QImage image = drawn(target, combined);
        EXPECT_EQ(image.pixelColor(50, 50), kUntouched);
        EXPECT_EQ(image.pixelColor(120, 360), kUntouched);  // left of the centred plot
        EXPECT_EQ(image.pixelColor(880, 360), kUntouched);  // right of it
        EXPECT_EQ(image.pixelColor(450, 650), kUntouched);  // below the target
        EXPECT_EQ(image.pixelColor(152, 102), QColor(Qt::white));
        EXPECT_EQ(image.pixelColor(847, 617), QColor(Qt::white));
    }
    // The two views are different drawings of the same preset.
    EXPECT_NE(drawn(target, false), drawn(target, true));
}

TEST_F(ResponsePlot, WritesSvgOrPngByTheNameAtItsOwnSize) {
    TempDir dir;
    std::string error;
    ASSERT_TRUE(plot::saveResponsePlot(dir.file("p.SVG"), preset.p(), "NoName", false, error)) << error;
    const std::string svg = readAll(dir.file("p.SVG"));
    EXPECT_NE(svg.find("<svg"), std::string::npos);
    EXPECT_NE(svg.find("viewBox=\"0 0 1400 1040\""), std::string::npos);
    EXPECT_NE(svg.find("<title>NoName</title>"), std::string::npos);
    ASSERT_TRUE(plot::saveResponsePlot(dir.file("p.png"), preset.p(), "NoName", true, error)) << error;
    EXPECT_EQ(QImage(QString::fromStdString(dir.file("p.png")), "PNG").size(), plot::kResponsePlotSize);
}

TEST_F(ResponsePlot, RefusesOtherNamesAndUnwritablePathsWithAReasonAndLeavesNoFile) {
    TempDir dir;
    const std::string blocker = dir.write("file", "not a directory");
    for (const std::string& file :
         {dir.file("p.gif"), dir.file("png"), dir.file("missing/p.png"), blocker + "/p.svg"}) {
        std::string error;
        EXPECT_FALSE(plot::saveResponsePlot(file, preset.p(), "NoName", false, error)) << file;
        EXPECT_FALSE(error.empty()) << file;
        EXPECT_FALSE(std::filesystem::exists(file)) << file;
    }
}

// Measurements that keep their time of flight (2.9 ms, about a metre) turn the phase faster
// than the summed view's points follow: the group delay still reads the flight time, and the
// phase is drawn without it.
TEST_F(ResponsePlot, TheSummedViewKeepsTheFlightTimeBothMeasurementsShare) {
    MeasuredCurve m;
    for (double f = 10.0; f < 23000.0; f *= std::exp2(1.0 / 48)) {
        m.frequency.push_back(static_cast<float>(f));
        m.magnitude.push_back(90.0f);
        m.phase.push_back(static_cast<float>(std::remainder(-360.0 * f * 0.0029, 360.0)));
    }
    const DriverResponse d = driverResponse(m, true, true);
    const plot::SummedPanels s = plot::summedPanels(preset.p(), std::array{d, d}, {});
    const plot::Curve& delay = s.groupDelay.curves.front();
    for (std::size_t i = 0; i < delay.hz.size(); ++i)
        if (delay.hz[i] >= 100 && delay.hz[i] <= 20000) {
            ASSERT_NEAR(delay.value[i], 2.9, 0.02) << delay.hz[i];
        }
    EXPECT_TRUE(s.phase.title.contains("2.90 ms")) << s.phase.title.toStdString();
    for (const plot::Curve& phase : s.phase.curves)
        for (std::size_t i = 0; i < phase.hz.size(); ++i)
            if (phase.hz[i] >= 100 && phase.hz[i] <= 20000) {
                ASSERT_NEAR(phase.value[i], 0.0, 1.0) << phase.hz[i];
            }
}

}  // namespace
}  // namespace vela
