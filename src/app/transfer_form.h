#pragma once
// "QuadLink Serial Interface": the small window that shows the step texts and the data gauge
// while an exchange runs. The exchanges show and close it through the user interface.

#include "app/app_context.h"
#include "app/borderless_window.h"

class QLabel;
class QPlainTextEdit;
class QProgressBar;

namespace vela::app {

class TW_Serial_Info_Form : public BorderlessWindow {
    Q_OBJECT
public:
    explicit TW_Serial_Info_Form(AppContext& context, QWidget* parent = nullptr);

    QLabel* Info = nullptr;            // the current step text
    QLabel* Info_Com_Label = nullptr;  // which link the exchange uses
    QProgressBar* Gauge = nullptr;     // bytes of the current transfer
    QPlainTextEdit* Memo2 = nullptr;   // the DSP operating-system text, never shown

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// The DSP image generation window: it has no visible role; the image is made by the session.
class TDATAForm : public BorderlessWindow {
    Q_OBJECT
public:
    explicit TDATAForm(AppContext& context, QWidget* parent = nullptr);
};

}  // namespace vela::app
