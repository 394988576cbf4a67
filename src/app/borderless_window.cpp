#include "app/borderless_window.h"

#include "app/artwork.h"
#include "app/icon_button.h"
#include "app/panel_style.h"
#include "app/scrolling_area.h"

#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollArea>

#include <algorithm>

namespace vela::app {
namespace {

constexpr int kScrewSize = 10;
constexpr int kScrewInset = 5;
// Between the icons and the controls of a window that scrolls.
constexpr int kIconGap = 4;

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

// The controls of a window that scrolls: the panel is drawn under them, so that it scrolls too.
class PanelContent : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        paintPanel(p, rect());
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
    // Without a frame Windows would leave it no minimise box: the taskbar could neither minimise
    // nor restore it.
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowMinimizeButtonHint), design_(size) {
    registerArtwork();
    setWindowTitle(caption);
    setWindowIcon(QIcon(art::kAppIcon));
    setAccessibleName(caption);
    setFixedSize(size);
    setStyleSheet(panelStyleSheet());
    setAutoFillBackground(false);
    centre();
}

QRect BorderlessWindow::availableArea() const {
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

void BorderlessWindow::setDesignSize(QSize size) {
    design_ = size;
    if (content_) content_->setFixedSize(size);
    // A shown window goes straight to the size its screen allows.
    if (!shown_) setFixedSize(size);
    keepOnScreen();
}

void BorderlessWindow::centre() {
    const QRect area = availableArea();
    if (area.isEmpty()) return;
    const QSize size = (shown_ ? this->size() : design_).boundedTo(area.size());
    move(area.center() - QPoint(size.width() / 2, size.height() / 2));
    keepOnScreen();
}

void BorderlessWindow::keepOnScreen() {
    const QRect area = availableArea();
    if (area.isEmpty()) return;
    QSize size = design_;
    // The controls are moved into a scrolling area only once the window has made them all.
    if (shown_ && (scroll_ || size.width() > area.width() || size.height() > area.height())) {
        if (!scroll_) startScrolling();
        // The icons keep a strip of their own above the controls, as a title bar would.
        int strip = 0;
        for (const Icon& icon : icons_) strip = std::max(strip, icon.button->geometry().bottom() + 1 + kIconGap);
        size = scrollingSize(scroll_, design_, area.size() - QSize(0, strip)) + QSize(0, strip);
        scroll_->setGeometry(0, strip, size.width(), size.height() - strip);
    }
    if (shown_ && size != this->size()) setFixedSize(size);
    placeIcons();
    // Before then, the place is the one the fitted size will have.
    size = size.boundedTo(area.size());
    QPoint at = pos();
    at.setX(std::clamp(at.x(), area.left(), area.right() + 1 - size.width()));
    at.setY(std::clamp(at.y(), area.top(), area.bottom() + 1 - size.height()));
    if (at != pos()) move(at);
}

void BorderlessWindow::startScrolling() {
    content_ = new PanelContent;
    content_->setObjectName("WindowContent");
    content_->setFixedSize(design_);
    scroll_ = scrollingArea(content_, this);
    // Within one window a new parent keeps a control's place in the Tab order.
    const QObjectList kids = children();  // a copy: the loop takes them away
    for (QObject* child : kids) {
        auto* w = qobject_cast<QWidget*>(child);
        if (!w || w == scroll_ || w->isWindow()) continue;
        if (std::any_of(icons_.begin(), icons_.end(), [w](const Icon& i) { return i.button == w; })) continue;
        const bool shown = !w->isHidden();
        const QRect place = w->geometry();
        w->setParent(content_);
        w->setGeometry(place);
        w->setVisible(shown);
    }
    scroll_->lower();
    scroll_->show();
}

void BorderlessWindow::placeIcons() {
    for (const Icon& icon : icons_) {
        icon.button->move(width() - icon.fromRight, icon.button->y());
        icon.button->raise();
    }
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
    const bool first = !shown_;
    shown_ = true;
    const QSize before = size();
    keepOnScreen();
    // Made smaller for a small screen: in the middle of it, as a window of its size would be.
    if (first && size() != before) centre();
    // The control the window gives the keyboard to is in sight when it opens.
    if (QWidget* focus = focusWidget(); scroll_ && focus && content_->isAncestorOf(focus))
        scroll_->ensureWidgetVisible(focus);
}

QAbstractButton* BorderlessWindow::addCloseIcon(QPoint topLeft) {
    auto* icon = new IconButton(IconKind::Close, this);
    icon->move(topLeft);
    icons_.push_back({icon, design_.width() - topLeft.x()});
    connect(icon, &QAbstractButton::clicked, this, &BorderlessWindow::CerrarIconClick);
    return icon;
}

QAbstractButton* BorderlessWindow::addMinimiseIcon(QPoint topLeft) {
    auto* icon = new IconButton(IconKind::Minimise, this);
    icon->move(topLeft);
    icons_.push_back({icon, design_.width() - topLeft.x()});
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
