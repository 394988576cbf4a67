#pragma once
// The small windows that the processor window shows modally (About, System Info): one at a
// time, above the window that opened them, closed by Escape as well as by their close icon.

class QWidget;

namespace vela::app {

// Makes `window` modal for the whole program and lets Escape close it.
void makeModal(QWidget& window);
// Shows it above `owner`'s window (the window manager keeps it there), raised and active.
void showModalOver(QWidget& window, QWidget* owner);

}  // namespace vela::app
