#include "app/borderless_window.h"

#include "app/artwork.h"
#include "app/icon_button.h"
#include "app/panel_style.h"

#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

#include <algorithm>

namespace vela::app {
namespace {

constexpr int kScrewSize = 10;
constexpr int kScrewInset = 5;

// The logo as a widget of its own, so that it can be placed like any control.
class LogoMark : public QWidget {
public:
    explicit LogoMark(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_TransparentForMouseEvents); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        // Keep the drawing's proportions (120 x 40) inside whatever place it was given.
        const qreal scale = std::min(width() / 120.0, height() / 40.0);
        const QSizeF size(120 * scale, 40 * scale);
        const QRectF target(QPointF((width() - size.width()) / 2, (height() - size.height()) / 2), size);
        paintArtwork(p, art::kLogo, target);
    }
};

}  // namespace

void paintPanel(QPainter& p, const QRect& area) {
    p.setRenderHint(QPainter::Antialiasing);
    paintArtwork(p, art::kPanel, QRectF(area));
    // Brushed grain: faint light and dark hairlines.
    p.setRenderHint(QPainter::Antialiasing, false);
    for (int y = area.top(); y < area.bottom(); y += 3) {
        p.fillRect(QRectF(area.left(), y, area.width(), 0.5), QColor(255, 255, 255, 5));
        p.fillRect(QRectF(area.left(), y + 2, area.width(), 0.5), QColor(0, 0, 0, 13));
    }
    p.setRenderHint(QPainter::Antialiasing);
    // A machined edge: dark outer line, light inner bevel.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0x06, 0x07, 0x08), 1));
    p.drawRect(QRectF(area).adjusted(0.5, 0.5, -0.5, -0.5));
    p.setPen(QPen(QColor(255, 255, 255, 22), 1));
    p.drawRect(QRectF(area).adjusted(1.5, 1.5, -1.5, -1.5));
    // Panel screws where the panel is tall enough to carry them.
    if (area.height() >= 120) {
        const int right = area.right() + 1 - kScrewInset - kScrewSize;
        const int bottom = area.bottom() + 1 - kScrewInset - kScrewSize;
        for (const QPoint at : {QPoint(area.left() + kScrewInset, bottom), QPoint(right, bottom)})
            paintArtwork(p, art::kScrew, QRectF(at, QSizeF(kScrewSize, kScrewSize)));
    }
}

BorderlessWindow::BorderlessWindow(const QString& caption, QSize size, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint) {
    registerArtwork();
    setWindowTitle(caption);
    setWindowIcon(QIcon(art::kAppIcon));
    setAccessibleName(caption);
    setFixedSize(size);
    setStyleSheet(panelStyleSheet());
    setAutoFillBackground(false);
    centre();
}

void BorderlessWindow::centre() {
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    move(area.center() - QPoint(width() / 2, height() / 2));
    keepOnScreen();
}

void BorderlessWindow::keepOnScreen() {
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    QPoint at = pos();
    if (width() > area.width())
        at.setX(area.right() + 1 - width());
    else
        at.setX(std::clamp(at.x(), area.left(), area.right() + 1 - width()));
    if (height() > area.height())
        at.setY(area.top());
    else
        at.setY(std::clamp(at.y(), area.top(), area.bottom() + 1 - height()));
    if (at != pos()) move(at);
}

void BorderlessWindow::bringToFront() {
    show();
    raise();
    activateWindow();
}

bool placeSideBySide(BorderlessWindow& first, BorderlessWindow& second) {
    const QScreen* screen = first.screen() ? first.screen() : QGuiApplication::primaryScreen();
    if (!screen) return false;
    const QRect area = screen->availableGeometry();
    constexpr int kGap = 12;
    const int both = first.width() + kGap + second.width();
    const bool fits = both <= area.width();
    if (fits) {
        const int left = area.left() + (area.width() - both) / 2;
        first.move(left, area.top() + (area.height() - first.height()) / 2);
        second.move(left + first.width() + kGap, area.top() + (area.height() - second.height()) / 2);
    } else {
        constexpr int kStep = 40;
        second.move(first.pos() + QPoint(kStep, kStep));
    }
    first.keepOnScreen();
    second.keepOnScreen();
    return fits;
}

void BorderlessWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    keepOnScreen();
}

QAbstractButton* BorderlessWindow::addCloseIcon(QPoint topLeft) {
    auto* icon = new IconButton(IconKind::Close, this);
    icon->move(topLeft);
    connect(icon, &QAbstractButton::clicked, this, &BorderlessWindow::CerrarIconClick);
    return icon;
}

QAbstractButton* BorderlessWindow::addMinimiseIcon(QPoint topLeft) {
    auto* icon = new IconButton(IconKind::Minimise, this);
    icon->move(topLeft);
    connect(icon, &QAbstractButton::clicked, this, &BorderlessWindow::MinimizarIconClick);
    return icon;
}

QLabel* BorderlessWindow::addBanner(const QString& text, const QRect& geometry) {
    auto* banner = new QLabel(text, this);
    banner->setProperty("role", "banner");
    banner->setGeometry(geometry);
    banner->setAlignment(Qt::AlignCenter);
    // Mouse presses on the banner drag the window, as on the background.
    banner->setAttribute(Qt::WA_TransparentForMouseEvents);
    return banner;
}

QWidget* BorderlessWindow::addLogo(const QRect& geometry) {
    auto* logo = new LogoMark(this);
    logo->setGeometry(geometry);
    return logo;
}

void BorderlessWindow::CerrarIconClick() { close(); }

void BorderlessWindow::MinimizarIconClick() { showMinimized(); }

void BorderlessWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    paintPanel(p, rect());
}

void BorderlessWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    drag_.begin(event->globalPosition().toPoint(), pos());
    event->accept();
}

void BorderlessWindow::mouseMoveEvent(QMouseEvent* event) {
    if (const auto corner = drag_.moveTo(event->globalPosition().toPoint())) {
        move(*corner);
        event->accept();
        return;
    }
    QWidget::mouseMoveEvent(event);
}

void BorderlessWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && drag_.dragging) {
        drag_.end();
        event->accept();
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

}  // namespace vela::app
