#include "app/scrolling_area.h"

#include <QApplication>
#include <QScrollArea>
#include <QScrollBar>

namespace vela::app {

QScrollArea* scrollingArea(QWidget* content, QWidget* parent) {
    auto* area = new QScrollArea(parent);
    area->setObjectName("WindowScrollArea");
    area->setFrameShape(QFrame::NoFrame);
    // No Tab stop of its own: the keyboard goes from control to control.
    area->setFocusPolicy(Qt::NoFocus);
    area->setStyleSheet("QScrollArea { background: transparent; }");
    area->viewport()->setAutoFillBackground(false);
    area->setWidget(content);
    QObject::connect(qApp, &QApplication::focusChanged, area, [area, content](QWidget*, QWidget* now) {
        if (now && content->isAncestorOf(now)) area->ensureWidgetVisible(now);
    });
    return area;
}

QSize scrollingSize(QScrollArea* area, QSize content, QSize room) {
    // The bars' size is the style sheet's once they were polished.
    area->verticalScrollBar()->ensurePolished();
    area->horizontalScrollBar()->ensurePolished();
    const int barWidth = area->verticalScrollBar()->sizeHint().width();
    const int barHeight = area->horizontalScrollBar()->sizeHint().height();
    bool tall = false;
    bool wide = false;
    for (int pass = 0; pass < 2; ++pass) {
        tall = content.height() + (wide ? barHeight : 0) > room.height();
        wide = content.width() + (tall ? barWidth : 0) > room.width();
    }
    return (content + QSize(tall ? barWidth : 0, wide ? barHeight : 0)).boundedTo(room);
}

}  // namespace vela::app
