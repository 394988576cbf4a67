#pragma once
// The whole-rig window "WHOLE RIG", opened from the Ethernet window: every cabinet the scan
// finds, each with a check box, its address and the model its unit reports, and "Update all",
// which loads the checked cabinets at once, each with its own model's library. A cabinet whose
// unit reports no model gets a model list in its row, set to the model its module reports.
// Each row shows its own phase and gauge during the run and its result at the end; then only
// the cabinets that need attention stay checked, so that Update all retries just those.

#include "app/borderless_window.h"
#include "ethernet/ethernet_module_window.h"
#include "session/rig_load.h"

#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <string>

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTreeWidget;

namespace vela::app {

struct AppContext;

// One change of one row, made on a cabinet's thread and shown on the GUI thread.
struct RigRowUpdate {
    int row = 0;
    QString phase;
    int percent = 0;  // -1: the gauge stays as it is
    bool finished = false;
    QString result;  // set with finished
};

class TRigForm : public BorderlessWindow {
    Q_OBJECT
  public:
    // Scans and loads where `settings` say.
    TRigForm(AppContext& context, const FirmwareChoice& firmware, const EthernetModuleSettings& settings,
             QWidget* parent = nullptr);
    ~TRigForm() override;

    enum Column { CabinetColumn, IpColumn, ModelColumn, PhaseColumn, GaugeColumn, ResultColumn };

    QPushButton* ScanB;
    QTreeWidget* CabinetList;
    QLabel* StatusLabel;
    QPushButton* UpdateAllB;
    QPushButton* StopB;

    // Makes each cabinet's session for a run; by default its TCP link to the cabinet.
    std::function<std::unique_ptr<Session>(UserInterface&, const CabinetToLoad&)> openCabinet;

    // Shows the window; the first time it also scans, and its Scan button scans again.
    void open();
    bool running() const { return running_; }
    // The gauge of a row.
    QProgressBar* gauge(int row) const;
    // The model list of a row whose unit reports no model; null for the others.
    QComboBox* modelChoice(int row) const;

  signals:
    void rowChanged(const vela::app::RigRowUpdate& update);
    // A scan or a run ended and the window shows its result.
    void finished();

  public slots:
    void ScanBClick();
    void UpdateAllBClick();
    // Stops every cabinet after its current exchange; the run ends with its one message.
    void StopBClick();
    // Asks first during a run; Yes stops every cabinet after its current exchange, and the
    // window closes when the run has ended.
    void CerrarIconClick() override;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void showRow(const RigRowUpdate& update);
    void showResults();
    // Gives the row a model list: its unit reports no model.
    void offerModels(int row);
    void setBusy(bool busy);

    struct Run;
    AppContext& context_;
    const FirmwareChoice& firmware_;
    const EthernetModuleSettings& settings_;
    // The cabinets as the last scan found them, by row.
    std::shared_ptr<Run> cabinets_;
    bool running_ = false;
    bool stopping_ = false;  // Stop was pressed during this run
    bool closeWhenDone_ = false;
    bool scannedOnce_ = false;
};

} // namespace vela::app

Q_DECLARE_METATYPE(vela::app::RigRowUpdate)
