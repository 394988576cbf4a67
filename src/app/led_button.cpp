#include "app/led_button.h"

#include "app/artwork.h"
#include "app/panel_style.h"

#include <QPainter>
#include <QPainterPath>

namespace vela::app {

// No accessible name is set: Qt then announces the caption, also after it changes.
LedButton::LedButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    QFont f = font();
    f.setBold(true);
    setFont(f);
    setMinimumSize(sizeHint());
    resize(sizeHint());
}

void LedButton::setLedOn(bool on) {
    if (ledOn_ == on) return;
    ledOn_ = on;
    update();
}

QSize LedButton::sizeHint() const {
    const QFontMetrics m(font());
    return {m.horizontalAdvance(text()) + 44, std::max(26, m.height() + 12)};
}

void LedButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF face = QRectF(rect()).adjusted(1, 1, -1, -1);
    const bool down = isDown() || isChecked();

    // A machined key: a dark recess, then the raised cap.
    QPainterPath recess;
    recess.addRoundedRect(face, 4, 4);
    p.fillPath(recess, QColor(0x07, 0x08, 0x09));
    const QRectF cap = face.adjusted(1.5, 1.5, -1.5, -1.5).translated(0, down ? 0.8 : 0);
    QLinearGradient g(cap.topLeft(), cap.bottomLeft());
    const bool hover = underMouse() && isEnabled();
    g.setColorAt(0, down ? QColor(0x26, 0x2a, 0x2f) : hover ? QColor(0x4a, 0x50, 0x58) : QColor(0x41, 0x46, 0x4d));
    g.setColorAt(1, down ? QColor(0x1a, 0x1d, 0x20) : QColor(0x23, 0x26, 0x2a));
    QPainterPath capPath;
    capPath.addRoundedRect(cap, 3, 3);
    p.fillPath(capPath, g);
    p.setPen(QPen(QColor(255, 255, 255, down ? 10 : 34), 1));
    p.drawLine(cap.topLeft() + QPointF(3, 0.5), cap.topRight() + QPointF(-3, 0.5));

    // The LED sits at the left of the cap; the caption fills the rest.
    const qreal led = std::min<qreal>(16, cap.height() - 6);
    const QRectF ledRect(cap.left() + 6, cap.center().y() - led / 2, led, led);
    if (!isEnabled()) p.setOpacity(0.45);
    paintArtwork(p, ledOn_ ? art::kLedOn : art::kLedOff, ledRect);
    p.setPen(isEnabled() ? panel_colour::kText : panel_colour::kDimText);
    p.setFont(font());
    const QRectF textRect(ledRect.right() + 4, cap.top(), cap.right() - ledRect.right() - 8, cap.height());
    p.drawText(textRect, Qt::AlignCenter, text());
    p.setOpacity(1);

    if (hasFocus()) {
        p.setPen(QPen(panel_colour::kFocus, 1.2));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(face.adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
    }
}

}  // namespace vela::app
