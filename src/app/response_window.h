#pragma once
// The response plot of the session's preset (1152 x 900), scaled to the window, with a
// Combined check box that shows both outputs in one pair of panels, and Close. It draws the
// preset as it was when last asked for; the processor window asks again on Response and
// after New and Open.

#include "app/borderless_window.h"

#include <memory>

class QCheckBox;
class QPushButton;

namespace vela {
struct PresetParameters;
}

namespace vela::app {

struct AppContext;

class ResponseWindow : public BorderlessWindow {
    Q_OBJECT
public:
    explicit ResponseWindow(AppContext& context, QWidget* parent = nullptr);
    ~ResponseWindow() override;

    QCheckBox* CombinedBox;
    QPushButton* CloseButton;

    // Takes a copy of the session's preset on the worker and draws it when it arrives.
    void showSessionPreset();
    // The preset drawn, or null before the first copy arrived.
    const PresetParameters* preset() const;

private:
    class PlotView;

    AppContext& context_;
    PlotView* plot_;
};

}  // namespace vela::app
