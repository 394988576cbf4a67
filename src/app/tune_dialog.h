#pragma once
// "Tune…": the fit of the cabinet to its measured drivers with its options, its progress and
// Cancel, and a preview of the summed response before and after with its figures. The fit's
// edits reach the preset only when the engineer applies them, as one undo step.

#include "session/cabinet_fit.h"

#include <QDialog>
#include <QTimer>

#include <mutex>
#include <string>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QScrollArea;
class QSpinBox;

namespace vela {
class PresetDocument;
}

namespace vela::app {

class FitPreviewView;

class TuneDialog : public QDialog {
    Q_OBJECT
public:
    TuneDialog(PresetDocument& document, QWidget* parent = nullptr);
    ~TuneDialog() override;

    QComboBox* TargetList;
    QDoubleSpinBox* SlopeBox;
    QLineEdit* TargetFileEdit;
    QPushButton* TargetFileButton;
    QSpinBox* LowBox;
    QSpinBox* HighBox;
    QCheckBox* KeepCrossoverBox;
    QCheckBox* KeepEqualiserBox;
    QCheckBox* KeepAlignmentBox;
    QCheckBox* MagnitudeOnlyBox;
    QDoubleSpinBox* MaxBoostBox;
    QPushButton* FitButton;
    QPushButton* CancelButton;
    QProgressBar* Progress;
    QLabel* StatusText;
    QLabel* FiguresText;
    FitPreviewView* Preview;
    QPushButton* ApplyButton;
    QPushButton* CloseButton;

    bool fitting() const { return !finished_; }

public slots:
    void FitButtonClick();
    void CancelButtonClick();
    void ApplyButtonClick();

protected:
    void reject() override;
    // Sizes the dialog to fit the available area of its window's screen; its controls scroll
    // where the screen is smaller than they need.
    void showEvent(QShowEvent* event) override;
    // The designer closed: the fit ends and the dialog with it.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Which controls serve: while the fit runs only Cancel and Close.
    void showState();
    void say(const QString& text, bool notice);
    void fitEnded(int generation);
    std::optional<tune::FitOptions> options();

    PresetDocument& document_;
    QScrollArea* area_;
    bool sized_ = false;
    CabinetFit fit_;
    FitOutcome outcome_;
    int generation_ = 0;
    bool finished_ = true;
    // How far the fit is and what it fits, as its thread last said.
    std::mutex progressMutex_;
    int percent_ = 0;
    std::string step_;
    QTimer progressTimer_;
};

// The designer's "Tune…" button: opens the window's one Tune dialog, or brings it up.
QPushButton* tuneButton(PresetDocument& document, QWidget* window, QWidget* parent);

}  // namespace vela::app
