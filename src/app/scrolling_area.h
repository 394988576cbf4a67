#pragma once
// The one way a window's controls scroll when its screen is too small for them: a frameless,
// see-through area over the window's own background, in which a control that takes the
// keyboard's focus, by Tab or otherwise, scrolls into sight.

#include <QSize>

class QScrollArea;
class QWidget;

namespace vela::app {

QScrollArea* scrollingArea(QWidget* content, QWidget* parent);

// The area's size for `content` within `room`: all of it where it fits, else what the room
// has, with a scroll bar in each direction where it does not fit (a bar takes room from the
// other direction).
QSize scrollingSize(QScrollArea* area, QSize content, QSize room);

}  // namespace vela::app
