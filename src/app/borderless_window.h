#pragma once
// The base of every window: no title bar, a fixed size, centred on the screen, our panel
// artwork as background, moved by dragging the background, with close and minimise icons.
// On a screen too small for it the window takes the screen's available area and its controls
// scroll inside it, the icons staying at its top right.

#include "app/drag_state.h"

#include <QWidget>

#include <vector>

class QAbstractButton;
class QLabel;
class QPainter;
class QScrollArea;

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

    // The size the controls were placed for. The window is that size where the screen has
    // room; else it fills what the screen offers and its controls scroll.
    QSize designSize() const { return design_; }
    void setDesignSize(QSize size);
    // The scrolling area that holds the controls; none until a screen was too small.
    QScrollArea* scrollArea() const { return scroll_; }

    // Puts the window in the middle of the screen's available area.
    void centre();
    // Sizes the window for its screen (see designSize) and moves it inside the available area.
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
    // The controls move into a scrolling area of the design size; the icons stay on the window.
    void startScrolling();
    void placeIcons();
    QRect availableArea() const;

    DragState drag_;
    QSize design_;
    bool shown_ = false;
    QScrollArea* scroll_ = nullptr;
    QWidget* content_ = nullptr;
    struct Icon {
        QWidget* button;
        int fromRight;  // its left edge's distance from the window's right edge
    };
    std::vector<Icon> icons_;
};

}  // namespace vela::app
