#include "app/out_of_sight.h"

#include <QWidget>

#include <algorithm>

namespace vela::app {

OutOfSight::OutOfSight(QWidget* window) : holder_(new QWidget(window)) {
    holder_->setObjectName("OutOfSight");
    // A disabled ancestor outvotes a control's own setEnabled(true); a hidden one its show().
    holder_->setEnabled(false);
    holder_->hide();
}

namespace {

// A new parent hides a widget; it keeps its place and what show() or hide() last said.
void moveTo(QWidget* control, QWidget* parent) {
    const bool shown = !control->isHidden();
    const QRect place = control->geometry();
    control->setParent(parent);
    control->setGeometry(place);
    control->setVisible(shown);
}

}  // namespace

void OutOfSight::hold(std::initializer_list<QWidget*> controls) {
    for (QWidget* c : controls) {
        moveTo(c, holder_);
        held_.push_back(c);
    }
}

void OutOfSight::revealAll() {
    // Where the window keeps its controls now: itself, or the area they scroll in.
    for (QWidget* c : held_) moveTo(c, holder_->parentWidget());
    held_.clear();
}

bool OutOfSight::holds(const QWidget* control) const {
    return std::find(held_.begin(), held_.end(), control) != held_.end();
}

}  // namespace vela::app
