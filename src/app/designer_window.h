#pragma once
// The "Preset Designer": every parameter of the preset being edited, per output the equaliser
// with its live response and band handles, the crossover, level, delay, sub reinforcement and
// dynamics; the inputs, temperature, measurement files and System Info texts. Edits go
// through the document (undo, redo, modified); notices show in a banner, never in a box.

#include "app/borderless_window.h"

#include <QTimer>

#include <array>
#include <functional>
#include <string>
#include <vector>

class QLabel;
class QPushButton;
class QTabWidget;

namespace vela::app {

struct AppContext;
class DesignerLinkBar;
class LedButton;
class ParameterControls;
class ResponseView;

class DesignerWindow : public BorderlessWindow {
    Q_OBJECT
public:
    explicit DesignerWindow(AppContext& context, QWidget* parent = nullptr);
    ~DesignerWindow() override;

    QPushButton* NewButton;
    QPushButton* OpenButton;
    QPushButton* SaveButton;
    QPushButton* SaveAsButton;
    QPushButton* UndoButton;
    QPushButton* RedoButton;
    LedButton* RealTimeB;  // the link bar's
    DesignerLinkBar* LinkBar;
    QLabel* NoticeBanner;
    QTabWidget* Outputs;

    ParameterControls& controls() { return *controls_; }
    ResponseView& response(int output) { return *responses_[static_cast<std::size_t>(output)]; }
    // The selected band's five coefficients, as shown.
    QString coefficientsText(int output) const;

    // Which file dialog a command shows; replaced by the tests.
    std::function<QString()> chooseOpenFile;
    std::function<QString()> chooseSaveFile;
    // The measurement file of output 1 or 2.
    std::function<QString(int output)> chooseMeasurementFile;

signals:
    // The window was closed (after its question, when there was something to save).
    void closed();

public slots:
    void NewButtonClick();
    void OpenButtonClick();
    // False when nothing was saved (the user cancelled the file dialog, or the save failed).
    bool SaveButtonClick();
    bool SaveAsButtonClick();
    // Before the window or the program closes: with unsaved edits, the save question. False
    // when the user cancelled, or answered Yes and nothing was saved; the edits stay.
    bool agreeToClose();
    void UndoButtonClick();
    void RedoButtonClick();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* outputPage(int output);
    QWidget* inputsPage();
    QWidget* equaliserPage(int output);
    QWidget* crossoverPage(int output);
    QWidget* levelPage(int output);
    QWidget* dynamicsPage(int output);
    void selectBand(int output, int band);
public:
    // Shows what the document holds now: every control, the plots, Undo and Redo, the title.
    // It runs by itself after every change, once the event loop comes round.
    void showDocument();

private:
    // The last edit's notices; the banner adds what the preset as it stands warns of.
    void showNotices(const std::vector<std::string>& notices);
    void showBanner();

    AppContext& context_;
    ParameterControls* controls_;
    std::array<ResponseView*, 2> responses_{};
    std::array<QLabel*, 2> coefficients_{};
    std::array<QLabel*, 2> delayTexts_{};
    std::array<QLabel*, 2> powerReports_{};
    std::array<int, 2> selectedBand_{1, 1};
    std::vector<QWidget*> curves_;
    QTimer showTimer_;
    int listener_ = 0;
    std::vector<std::string> editNotices_;
    // The user answered No for the edits as they stand: the program's end asks no more.
    bool discarded_ = false;
};

}  // namespace vela::app
