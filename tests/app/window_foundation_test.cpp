// The borderless window base and the drawn buttons: dragging, icons, names, artwork.

#include "app/artwork.h"
#include "app/borderless_window.h"
#include "app/icon_button.h"
#include "app/led_button.h"

#include <QAccessible>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>

namespace vela::app {
namespace {

class WindowFoundation : public ::testing::Test {};

QString accessibleNameOf(QWidget* w) {
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
    return a ? a->text(QAccessible::Name) : QString();
}

TEST_F(WindowFoundation, DragMovesTheCornerByTheCursorOffset) {
    DragState drag;
    EXPECT_FALSE(drag.moveTo({50, 50}));  // no drag before a press
    drag.begin({110, 220}, {100, 200});
    EXPECT_EQ(drag.moveTo({300, 400}), QPoint(290, 380));
    drag.end();
    EXPECT_FALSE(drag.moveTo({10, 10}));
}

TEST_F(WindowFoundation, WindowIsFramelessFixedAndCentred) {
    BorderlessWindow w("System Info", {464, 297});
    EXPECT_TRUE(w.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(w.windowFlags() & Qt::WindowMinimizeButtonHint) << "the taskbar minimises and restores it";
    EXPECT_EQ(w.windowTitle(), "System Info");
    EXPECT_EQ(w.minimumSize(), QSize(464, 297));
    EXPECT_EQ(w.maximumSize(), QSize(464, 297));
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE((w.geometry().center() - area.center()).manhattanLength(), 2);
}

TEST_F(WindowFoundation, DraggingTheBackgroundMovesTheWindow) {
    BorderlessWindow w("About", {409, 297});
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    const QPoint start = w.pos();
    QTest::mousePress(&w, Qt::LeftButton, {}, {200, 150});
    QMouseEvent move(QEvent::MouseMove, QPointF(240, 130), w.mapToGlobal(QPointF(240, 130)), Qt::NoButton,
                     Qt::LeftButton, {});
    QApplication::sendEvent(&w, &move);
    EXPECT_EQ(w.pos(), start + QPoint(40, -20));
    QTest::mouseRelease(&w, Qt::LeftButton, {}, {240, 130});
    EXPECT_FALSE(w.dragState().dragging);
}

TEST_F(WindowFoundation, IconsAreNamedButtonsThatCloseAndMinimise) {
    BorderlessWindow w("About", {409, 297});
    QAbstractButton* close = w.addCloseIcon({380, 8});
    QAbstractButton* minimise = w.addMinimiseIcon({356, 8});
    EXPECT_EQ(accessibleNameOf(close), "Close");
    EXPECT_EQ(accessibleNameOf(minimise), "Minimise");
    EXPECT_EQ(accessibleNameOf(new IconButton(IconKind::Manual, &w)), "Manual");
    EXPECT_NE(close->focusPolicy() & Qt::TabFocus, 0);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    QTest::mouseClick(close, Qt::LeftButton);
    EXPECT_FALSE(w.isVisible());
}

TEST_F(WindowFoundation, LedButtonIsAButtonNamedByItsCaption) {
    BorderlessWindow w("ETHERNET", {300, 200});
    auto* usb = new LedButton("USB", &w);
    int clicks = 0;
    QObject::connect(usb, &QPushButton::clicked, [&] { ++clicks; });
    EXPECT_EQ(accessibleNameOf(usb), "USB");
    usb->setText("Update M01");
    EXPECT_EQ(accessibleNameOf(usb), "Update M01");
    EXPECT_FALSE(usb->ledOn());
    usb->setLedOn(true);
    EXPECT_TRUE(usb->ledOn());
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    usb->setFocus();
    QTest::keyClick(usb, Qt::Key_Space);
    QTest::mouseClick(usb, Qt::LeftButton);
    EXPECT_EQ(clicks, 2);
}

TEST_F(WindowFoundation, ArtworkRendersSharpAtDoubleScale) {
    for (const QString& path : {art::kPanel, art::kScrew, art::kLogo, art::kLedOn, art::kLedOff, art::kClose,
                                art::kMinimise, art::kManual, art::kAppIcon}) {
        const QPixmap p = artworkPixmap(path, {20, 20}, 2.0);
        EXPECT_EQ(p.size(), QSize(40, 40)) << path.toStdString();
        EXPECT_EQ(p.devicePixelRatio(), 2.0);
        // Something was drawn: a drawing that failed to load leaves the pixmap transparent.
        const QImage image = p.toImage();
        bool drawn = false;
        for (int y = 0; y < image.height() && !drawn; ++y)
            for (int x = 0; x < image.width() && !drawn; ++x) drawn = qAlpha(image.pixel(x, y)) > 0;
        EXPECT_TRUE(drawn) << path.toStdString();
    }
}

}  // namespace
}  // namespace vela::app
