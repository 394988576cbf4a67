#include "app/artwork.h"

#include <QPainter>
#include <QPixmapCache>
#include <QSvgRenderer>

#include <cmath>

// The resource initialiser lives in the global namespace.
static void initArtworkResource() { Q_INIT_RESOURCE(artwork); }

namespace vela::app {

void registerArtwork() {
    static const bool registered = (initArtworkResource(), true);
    (void)registered;
}

QPixmap artworkPixmap(const QString& path, QSize size, qreal devicePixelRatio) {
    registerArtwork();
    const QSize pixels(static_cast<int>(std::ceil(size.width() * devicePixelRatio)),
                       static_cast<int>(std::ceil(size.height() * devicePixelRatio)));
    const QString key = QStringLiteral("vela:%1:%2x%3").arg(path).arg(pixels.width()).arg(pixels.height());
    QPixmap pixmap;
    if (QPixmapCache::find(key, &pixmap)) return pixmap;
    pixmap = QPixmap(pixels);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(path);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    renderer.render(&p, QRectF(QPointF(0, 0), QSizeF(pixels)));
    p.end();
    pixmap.setDevicePixelRatio(devicePixelRatio);
    QPixmapCache::insert(key, pixmap);
    return pixmap;
}

void paintArtwork(QPainter& painter, const QString& path, const QRectF& target) {
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const QSize size(static_cast<int>(std::ceil(target.width())), static_cast<int>(std::ceil(target.height())));
    // The pixmap carries its pixel ratio, so it is drawn at its logical size.
    painter.drawPixmap(target.topLeft(), artworkPixmap(path, size, ratio));
}

}  // namespace vela::app
