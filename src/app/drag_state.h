#pragma once
// Dragging a borderless window by its background: the press keeps the cursor's offset from
// the window's corner, every move puts the corner at cursor minus offset, the release ends it.

#include <QPoint>

#include <optional>

namespace vela::app {

struct DragState {
    bool dragging = false;
    QPoint cursor;  // screen position of the cursor
    QPoint offset;  // cursor minus the window's top-left corner when the drag began

    void begin(QPoint screenCursor, QPoint windowTopLeft) {
        dragging = true;
        cursor = screenCursor;
        offset = screenCursor - windowTopLeft;
    }
    // Where the window's corner goes, while dragging.
    std::optional<QPoint> moveTo(QPoint screenCursor) {
        if (!dragging) return std::nullopt;
        cursor = screenCursor;
        return screenCursor - offset;
    }
    void end() { dragging = false; }
};

}  // namespace vela::app
