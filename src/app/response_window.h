#pragma once
// The response plot of the preset being edited (1152 x 900), scaled to the window, with a
// Combined check box that shows both outputs in one pair of panels, and Close. It follows
// every change of the preset.

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

    // The preset drawn.
    const PresetParameters* preset() const;

private:
    class PlotView;

    AppContext& context_;
    PlotView* plot_;
    int listener_ = 0;
};

}  // namespace vela::app
