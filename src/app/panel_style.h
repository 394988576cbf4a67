#pragma once
// The look of the ordinary controls on our dark front panels: edits, lists, gauges, plain
// buttons and group frames.

#include <QColor>
#include <QString>

namespace vela::app {

namespace panel_colour {
inline const QColor kText{0xd6, 0xd9, 0xdc};
inline const QColor kDimText{0x8a, 0x91, 0x98};
inline const QColor kAccent{0x6f, 0xb7, 0xd6};
inline const QColor kFocus{0x8f, 0xcf, 0xee};
inline const QColor kConnected{0x5c, 0xd6, 0x6a};
}  // namespace panel_colour

// The style sheet each panel window sets on itself, so its child controls follow it.
QString panelStyleSheet();

}  // namespace vela::app
