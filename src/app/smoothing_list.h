#pragma once
// The choice of smoothing for measured traces: none, 1/3, 1/6, 1/12 or 1/24 octave.

class QComboBox;
class QWidget;

namespace vela::app {

// Named "Smoothing" for assistive technology; `fraction` N of 1/N octave chosen at first.
QComboBox* smoothingList(QWidget* parent, int fraction);
// N of the 1/N octave chosen, 0 for none.
int smoothingOf(const QComboBox& list);

}  // namespace vela::app
