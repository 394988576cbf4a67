#include "app/out_of_sight.h"

#include <QWidget>

#include <algorithm>

namespace vela::app {

OutOfSight::OutOfSight(QWidget* window) : window_(window), holder_(new QWidget(window)) {
    holder_->setObjectName("OutOfSight");
    // A disabled ancestor outvotes a control's own setEnabled(true); a hidden one its show().
    holder_->setEnabled(false);
    holder_->hide();
}

void OutOfSight::hold(std::initializer_list<QWidget*> controls) {
    for (QWidget* c : controls) {
        const bool shown = !c->isHidden();
        const QRect place = c->geometry();
        c->setParent(holder_);
        c->setGeometry(place);
        c->setVisible(shown);
        held_.push_back(c);
    }
}

void OutOfSight::revealAll() {
    for (QWidget* c : held_) {
        const bool shown = !c->isHidden();
        const QRect place = c->geometry();
        c->setParent(window_);
        c->setGeometry(place);
        c->setVisible(shown);
    }
    held_.clear();
}

bool OutOfSight::holds(const QWidget* control) const {
    return std::find(held_.begin(), held_.end(), control) != held_.end();
}

}  // namespace vela::app
