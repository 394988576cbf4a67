#pragma once
// The base of every window: no title bar, a fixed size, centred on the screen, our panel
// artwork as background, moved by dragging the background, with close and minimise icons.

#include "app/drag_state.h"

#include <QWidget>

class QAbstractButton;
class QLabel;
class QPainter;

namespace vela::app {

// The panel every window and dialog is drawn on: background, edge and screws.
void paintPanel(QPainter& painter, const QRect& area);

class BorderlessWindow;
// Two windows open together: side by side when the screen has room (true), else `second` a step
// down and to the right of `first` (false).
bool placeSideBySide(BorderlessWindow& first, BorderlessWindow& second);

class BorderlessWindow : public QWidget {
    Q_OBJECT
public:
    // caption is the window title that the desktop, screen readers and tests see.
    BorderlessWindow(const QString& caption, QSize size, QWidget* parent = nullptr);

    // Real buttons named "Close" and "Minimise"; they run CerrarIconClick / MinimizarIconClick.
    QAbstractButton* addCloseIcon(QPoint topLeft);
    QAbstractButton* addMinimiseIcon(QPoint topLeft);
    // A banner caption across the top, in the panel's lettering.
    QLabel* addBanner(const QString& text, const QRect& geometry);
    // The maker's mark.
    QWidget* addLogo(const QRect& geometry);

    // Puts the window in the middle of the screen's available area.
    void centre();
    // Moves the window inside the screen's available area. A window larger than the area keeps
    // its top edge and its close icon (top right) on screen.
    void keepOnScreen();
    // Shows the window on top of the others, with the keyboard's focus: the one the user works in.
    void bringToFront();
    const DragState& dragState() const { return drag_; }

public slots:
    // The close icon closes this window; the main windows end the program instead.
    virtual void CerrarIconClick();
    virtual void MinimizarIconClick();

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    DragState drag_;
};

}  // namespace vela::app
