#include "app/modal_window.h"

#include <QKeySequence>
#include <QShortcut>
#include <QWidget>
#include <QWindow>

namespace vela::app {

void makeModal(QWidget& window) {
    window.setWindowModality(Qt::ApplicationModal);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), &window);
    QObject::connect(escape, &QShortcut::activated, &window, &QWidget::close);
}

void showModalOver(QWidget& window, QWidget* owner) {
    if (owner) {
        // Transient for its owner: never hidden behind it, and not a second window to find.
        window.winId();
        owner->window()->winId();
        window.windowHandle()->setTransientParent(owner->window()->windowHandle());
    }
    window.show();
    window.raise();
    window.activateWindow();
}

}  // namespace vela::app
