#include "app/icon_button.h"

#include "app/artwork.h"
#include "app/panel_style.h"

#include <QPainter>

namespace vela::app {
namespace {

const QString& artworkOf(IconKind kind) {
    switch (kind) {
        case IconKind::Close: return art::kClose;
        case IconKind::Minimise: return art::kMinimise;
        case IconKind::Manual: break;
    }
    return art::kManual;
}

}  // namespace

QString iconCaption(IconKind kind) {
    switch (kind) {
        case IconKind::Close: return QStringLiteral("Close");
        case IconKind::Minimise: return QStringLiteral("Minimise");
        case IconKind::Manual: break;
    }
    return QStringLiteral("Manual");
}

IconButton::IconButton(IconKind kind, QWidget* parent) : QToolButton(parent), kind_(kind) {
    setText(iconCaption(kind));
    setAccessibleName(iconCaption(kind));
    setToolTip(iconCaption(kind));
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    resize(sizeHint());
}

void IconButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled()) p.setOpacity(0.4);
    else if (isDown()) p.setOpacity(0.7);
    paintArtwork(p, artworkOf(kind_), QRectF(rect()));
    p.setOpacity(1);
    if (underMouse() || hasFocus()) {
        // Hover brightens the key's rim; keyboard focus draws it in the focus colour.
        p.setPen(QPen(hasFocus() ? panel_colour::kFocus : QColor(0x9a, 0xa2, 0xaa), 1));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
    }
}

}  // namespace vela::app
