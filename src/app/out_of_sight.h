#pragma once
// Controls that lie outside a window's visible area. They stay the window's objects, with their
// names and slots, but sit in a hidden, disabled holder: neither Tab, nor a click, nor an
// assistive tool's action reaches them, whatever the window does with them meanwhile. Revealing
// puts them back in the window at their own places, shown or hidden as the window last asked.

#include <initializer_list>
#include <vector>

class QWidget;

namespace vela::app {

class OutOfSight {
public:
    explicit OutOfSight(QWidget* window);

    void hold(std::initializer_list<QWidget*> controls);
    // Every held control joins the window again, at the end of its Tab chain.
    void revealAll();
    bool holds(const QWidget* control) const;

private:
    QWidget* holder_;
    std::vector<QWidget*> held_;
};

}  // namespace vela::app
