#pragma once
// Our artwork, compiled in from resources/artwork: SVG drawings rendered at the device's pixel
// ratio, so they stay sharp at any display scaling.

#include <QPixmap>
#include <QString>

class QPainter;
class QRectF;

namespace vela::app {

// Resource paths of the drawings.
namespace art {
inline const QString kPanel = QStringLiteral(":/artwork/panel.svg");
inline const QString kScrew = QStringLiteral(":/artwork/screw.svg");
inline const QString kLogo = QStringLiteral(":/artwork/logo.svg");
inline const QString kLedOn = QStringLiteral(":/artwork/led_on.svg");
inline const QString kLedOff = QStringLiteral(":/artwork/led_off.svg");
inline const QString kClose = QStringLiteral(":/artwork/close.svg");
inline const QString kMinimise = QStringLiteral(":/artwork/minimise.svg");
inline const QString kManual = QStringLiteral(":/artwork/manual.svg");
inline const QString kAppIcon = QStringLiteral(":/artwork/app_icon.svg");
}  // namespace art

// Makes the compiled-in drawings reachable; safe to call more than once.
void registerArtwork();

// The drawing rendered to a pixmap of the given logical size at the given pixel ratio, kept in
// Qt's pixmap cache.
QPixmap artworkPixmap(const QString& path, QSize size, qreal devicePixelRatio);

// Draws the drawing into target (logical coordinates), rendered for the painter's device.
void paintArtwork(QPainter& painter, const QString& path, const QRectF& target);

}  // namespace vela::app
