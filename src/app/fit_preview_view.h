#pragma once
// The fit's preview: the summed response before and after the fit, 1/6-octave smoothed and
// level matched, over the target with its tolerance band, the ranges the drivers cannot
// follow marked.

#include "session/cabinet_fit.h"

#include <QWidget>

namespace vela::app {

class FitPreviewView : public QWidget {
    Q_OBJECT
public:
    explicit FitPreviewView(QWidget* parent = nullptr);
    void setPreview(const FitPreview& preview, const std::vector<tune::FrequencyRange>& unreachable);
    void clear();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    FitPreview preview_;
    std::vector<tune::FrequencyRange> unreachable_;
};

}  // namespace vela::app
