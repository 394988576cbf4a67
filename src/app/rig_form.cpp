#include "app/rig_form.h"

#include "app/app_context.h"
#include "app/program_closer.h"
#include "app/qt_user_interface.h"
#include "app/session_worker.h"
#include "core/text_display.h"
#include "library/model_catalogue.h"
#include "session/link_choice.h"
#include "session/rig_outcome.h"
#include "session/rig_scan.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>

namespace vela::app {

// What the worker found and loaded, shared with the GUI thread, which reads it only once the
// worker's operation has ended.
struct TRigForm::Run {
    std::vector<FoundModule> found;
    std::vector<CabinetIdentity> identities;
    std::string why;  // why no scan could be made
    bool scanned = false;
    std::vector<int> rows;  // the rows of the cabinets loaded, in the order of `results`
    std::vector<RigCabinetResult> results;
};

namespace {

// Turns each cabinet's events into row changes for the GUI thread. Called from the cabinets'
// threads at once; it only reads its map and emits a queued signal.
class RowEvents : public CabinetEventSink {
public:
    RowEvents(std::map<std::string, int> rows, TRigForm& form) : rows_(std::move(rows)), form_(form) {}

    void cabinetEvent(const CabinetEvent& e) override {
        const auto row = rows_.find(e.unit);
        if (row == rows_.end()) return;
        RigRowUpdate u;
        u.row = row->second;
        u.phase = QString::fromUtf8(phaseName(e.phase));
        if (e.phase == CabinetPhase::Writing && e.memory > 0)
            u.phase += QStringLiteral(" memory %1 of %2").arg(e.memory).arg(e.memories);
        u.percent = e.percent;
        if (e.result) {
            u.finished = true;
            // Where it ended: "finished", or the phase it failed in.
            u.phase = QString::fromUtf8(phaseName(e.result->endedIn));
            // A gauge that stopped short stays where the cabinet stopped.
            u.percent = e.result->complete() ? 100 : -1;
            u.result = QString::fromUtf8(outcomeName(*e.result));
        }
        emit form_.rowChanged(u);
    }

private:
    const std::map<std::string, int> rows_;
    TRigForm& form_;
};

QString rowResult(const RigCabinetResult& c) {
    QString text = QString::fromUtf8(outcomeName(c.result));
    if (!c.result.complete() && !c.problem.empty()) text += QStringLiteral(": ") + QString::fromStdString(c.problem);
    if (c.result.refusal == LibraryRefusal::NoModel)
        text += QStringLiteral("; choose one in its Model column");
    return text;
}

QString modelName(int row) {
    return QString::fromStdString(unitName(ModelCatalogue::rows()[static_cast<std::size_t>(row)].name));
}

// A blank cabinet is what an installer loads: its row offers every model, set to the one its
// module reports.
QComboBox* modelList(const FoundModule& cabinet) {
    auto* list = new QComboBox;
    list->setAccessibleName(QStringLiteral("Model of ") + QString::fromStdString(cabinetName(cabinet)));
    list->addItem(QStringLiteral("choose a model"), -1);
    for (int row = 0; row < static_cast<int>(kModelCount); ++row) list->addItem(modelName(row), row);
    if (const auto row = ModelCatalogue::find(unitText(cabinet.device.Model)))
        list->setCurrentIndex(list->findData(static_cast<int>(*row)));
    return list;
}

bool reportsNoModel(const CabinetIdentity& id) {
    return id.kind == CabinetIdentity::Kind::NoModel || id.kind == CabinetIdentity::Kind::Empty;
}

// One message for the whole run: how many were updated, and each one that needs attention.
QString summaryOf(const std::vector<RigCabinetResult>& results) {
    int completed = 0;
    QStringList attention;
    for (const auto& c : results) {
        if (c.result.complete())
            ++completed;
        else
            attention << QString::fromStdString(c.name) + QStringLiteral(": ") + rowResult(c);
    }
    QString text = QStringLiteral("%1 of %2 cabinets were updated.").arg(completed).arg(results.size());
    if (completed > 0) text += QStringLiteral(" Turn Off and ON each cabinet updated.");
    if (!attention.isEmpty())
        text += QStringLiteral("\n\nThese need attention; they stay checked for Update all:\n") +
                attention.join('\n');
    return text;
}

} // namespace

TRigForm::TRigForm(AppContext& context, const FirmwareChoice& firmware, const EthernetModuleSettings& settings,
                   QWidget* parent)
    : BorderlessWindow(QStringLiteral("WHOLE RIG"), {640, 440}, parent), context_(context), firmware_(firmware),
      settings_(settings), cabinets_(std::make_shared<Run>()) {
    qRegisterMetaType<RigRowUpdate>();
    openCabinet = [](UserInterface& ui, const CabinetToLoad& c) { return vela::openSession(ui, c.link); };
    addLogo({16, 10, 96, 32});
    addBanner(QStringLiteral("WHOLE RIG"), {120, 14, 220, 24});

    ScanB = new QPushButton(QStringLiteral("Scan"), this);
    ScanB->setGeometry(20, 56, 100, 26);
    StatusLabel = new QLabel(this);
    StatusLabel->setProperty("role", "status");
    StatusLabel->setAccessibleName(QStringLiteral("Rig status"));
    StatusLabel->setWordWrap(true);
    StatusLabel->setGeometry(132, 52, 488, 34);

    CabinetList = new QTreeWidget(this);
    CabinetList->setAccessibleName(QStringLiteral("Cabinets"));
    CabinetList->setRootIsDecorated(false);
    CabinetList->setHeaderLabels({QStringLiteral("Cabinet"), QStringLiteral("IP"), QStringLiteral("Model"),
                                  QStringLiteral("Phase"), QStringLiteral("Progress"), QStringLiteral("Result")});
    CabinetList->setGeometry(20, 94, 600, 290);
    const int widths[] = {86, 80, 72, 150, 76};
    for (int c = 0; c < 5; ++c) CabinetList->header()->resizeSection(c, widths[c]);
    CabinetList->header()->setStretchLastSection(true);

    StopB = new QPushButton(QStringLiteral("Stop"), this);
    StopB->setGeometry(372, 396, 120, 28);
    StopB->setEnabled(false);
    UpdateAllB = new QPushButton(QStringLiteral("Update all"), this);
    UpdateAllB->setGeometry(500, 396, 120, 28);
    UpdateAllB->setEnabled(false);

    addMinimiseIcon({584, 10});
    addCloseIcon({610, 10});

    connect(ScanB, &QPushButton::clicked, this, &TRigForm::ScanBClick);
    connect(UpdateAllB, &QPushButton::clicked, this, &TRigForm::UpdateAllBClick);
    connect(StopB, &QPushButton::clicked, this, &TRigForm::StopBClick);
    connect(this, &TRigForm::rowChanged, this, &TRigForm::showRow, Qt::QueuedConnection);
}

TRigForm::~TRigForm() = default;

QProgressBar* TRigForm::gauge(int row) const {
    QTreeWidgetItem* item = CabinetList->topLevelItem(row);
    return item ? qobject_cast<QProgressBar*>(CabinetList->itemWidget(item, GaugeColumn)) : nullptr;
}

void TRigForm::offerModels(int row) {
    CabinetList->setItemWidget(CabinetList->topLevelItem(row), ModelColumn,
                               modelList(cabinets_->found[static_cast<std::size_t>(row)]));
    // The keyboard reaches the model lists in the order of the rows, right after the list.
    QWidget* previous = CabinetList;
    for (int r = 0; r < CabinetList->topLevelItemCount(); ++r)
        if (QComboBox* list = modelChoice(r)) {
            QWidget::setTabOrder(previous, list);
            previous = list;
        }
}

QComboBox* TRigForm::modelChoice(int row) const {
    QTreeWidgetItem* item = CabinetList->topLevelItem(row);
    return item ? qobject_cast<QComboBox*>(CabinetList->itemWidget(item, ModelColumn)) : nullptr;
}

void TRigForm::open() {
    bringToFront();
    if (scannedOnce_) return;
    scannedOnce_ = true;
    ScanBClick();
}

void TRigForm::setBusy(bool busy) {
    // The keyboard stays on the button that acts next.
    const bool updateHadFocus = UpdateAllB->hasFocus(), stopHadFocus = StopB->hasFocus();
    running_ = busy;
    stopping_ = false;
    ScanB->setEnabled(!busy);
    UpdateAllB->setEnabled(!busy && CabinetList->topLevelItemCount() > 0);
    StopB->setEnabled(busy);
    // The check boxes and model lists stay as they were for the run.
    CabinetList->setEnabled(!busy);
    if (busy && updateHadFocus) StopB->setFocus();
    if (!busy && stopHadFocus) UpdateAllB->setFocus();
}

void TRigForm::ScanBClick() {
    if (running_) return;
    setBusy(true);
    StatusLabel->setText(QStringLiteral("Scanning..."));
    RigScan scan;
    scan.broadcast = settings_.broadcast;
    scan.settings.udpPort = settings_.udpPort;
    scan.settings.tcpPort = settings_.tcpPort;
    scan.settings.time = settings_.scanTime;
    auto run = std::make_shared<Run>();
    context_.worker.run(
        [run, scan](Session&) {
            auto found = scanRig(scan, run->why);
            if (!found) return;
            run->scanned = true;
            run->found = std::move(*found);
            run->identities = identifyCabinets(run->found);
        },
        [this, run] {
            cabinets_ = run;
            CabinetList->clear();
            for (std::size_t i = 0; i < run->found.size(); ++i) {
                const EthernetDevice& d = run->found[i].device;
                const CabinetIdentity& id = run->identities[i];
                auto* item = new QTreeWidgetItem(CabinetList);
                item->setText(CabinetColumn, QString::fromStdString(unitText(d.Name)));
                item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
                item->setCheckState(CabinetColumn, Qt::Checked);
                item->setText(IpColumn, QString::fromStdString(unitText(d.IP)));
                // The row keeps to one line; the reason is the cell's tool tip.
                const bool read = id.kind != CabinetIdentity::Kind::Unread;
                item->setText(ModelColumn, QString::fromStdString(read ? describe(id) : "not read"));
                item->setToolTip(ModelColumn, QString::fromStdString(read ? describe(id) : displayText(id.reason)));
                if (reportsNoModel(id)) offerModels(static_cast<int>(i));
                auto* bar = new QProgressBar;
                bar->setRange(0, 100);
                bar->setValue(0);
                bar->setAccessibleName(QStringLiteral("Progress of ") + QString::fromStdString(cabinetName(run->found[i])));
                CabinetList->setItemWidget(item, GaugeColumn, bar);
            }
            if (CabinetList->topLevelItemCount() > 0) CabinetList->setCurrentItem(CabinetList->topLevelItem(0));
            if (!run->scanned)
                StatusLabel->setText(QString::fromStdString(run->why));
            else if (run->found.empty())
                StatusLabel->setText(QStringLiteral("No Devices Found"));
            else
                StatusLabel->setText(QStringLiteral("%1 cabinets found").arg(run->found.size()));
            setBusy(false);
            emit finished();
        });
}

void TRigForm::UpdateAllBClick() {
    if (running_) return;
    // The operating system is the same for every cabinet: refused once, before any is begun.
    if (!firmware_.refusal.empty()) {
        context_.ui.message(MessageKind::Error, Buttons::Ok, firmware_.refusal);
        return;
    }
    RigRequest rig;
    std::map<std::string, int> rows;
    auto run = cabinets_;
    run->rows.clear();
    run->results.clear();
    for (int row = 0; row < CabinetList->topLevelItemCount(); ++row) {
        QTreeWidgetItem* item = CabinetList->topLevelItem(row);
        item->setText(PhaseColumn, {});
        item->setText(ResultColumn, {});
        if (QProgressBar* bar = gauge(row)) bar->setValue(0);
        if (item->checkState(CabinetColumn) != Qt::Checked) continue;
        CabinetToLoad cabinet = cabinetToLoad(run->found[static_cast<std::size_t>(row)]);
        // The model chosen in the row, else the one the unit's model code names.
        const int model = modelChoice(row) ? modelChoice(row)->currentData().toInt() : -1;
        cabinet.library.kind = model >= 0 ? LibraryRequest::Kind::Model : LibraryRequest::Kind::UnitsOwn;
        cabinet.library.row = model;
        rows[cabinet.name] = row;
        run->rows.push_back(row);
        rig.cabinets.push_back(std::move(cabinet));
    }
    if (rig.cabinets.empty()) {
        context_.ui.message(MessageKind::Information, Buttons::Ok, "No cabinet is checked.");
        return;
    }
    rig.log = context_.ui.runLog();
    rig.openSession = openCabinet;
    setBusy(true);
    StatusLabel->setText(QStringLiteral("Updating %1 cabinets...").arg(rig.cabinets.size()));
    auto events = std::make_shared<RowEvents>(std::move(rows), *this);
    context_.worker.run(
        [run, rig = std::move(rig), events, &firmware = firmware_](Session&) {
            run->results = loadRig(rig, firmware, *events);
        },
        [this] { showResults(); });
}

void TRigForm::showResults() {
    const Run& run = *cabinets_;
    for (std::size_t i = 0; i < run.results.size() && i < run.rows.size(); ++i) {
        QTreeWidgetItem* item = CabinetList->topLevelItem(run.rows[i]);
        if (!item) continue;
        const RigCabinetResult& c = run.results[i];
        // The outcome in the row, and why in its tool tip and in the run's message.
        item->setText(ResultColumn, QString::fromUtf8(outcomeName(c.result)));
        item->setToolTip(ResultColumn, rowResult(c));
        // Update all retries only the cabinets that need attention.
        if (c.result.complete()) item->setCheckState(CabinetColumn, Qt::Unchecked);
        // A unit found to report no model only now gets its model list too.
        if (c.result.refusal == LibraryRefusal::NoModel && !modelChoice(run.rows[i])) offerModels(run.rows[i]);
        // The model the run read from the unit, or wrote into it, is the one it reports now.
        if (c.result.modelRow >= 0) {
            CabinetList->removeItemWidget(item, ModelColumn);
            item->setText(ModelColumn, modelName(c.result.modelRow));
            item->setToolTip(ModelColumn, modelName(c.result.modelRow));
        }
    }
    int completed = 0;
    for (const auto& c : run.results) completed += c.result.complete() ? 1 : 0;
    StatusLabel->setText(QStringLiteral("%1 of %2 cabinets updated").arg(completed).arg(run.results.size()));
    setBusy(false);
    context_.ui.message(completed == static_cast<int>(run.results.size()) ? MessageKind::Information
                                                                         : MessageKind::Warning,
                        Buttons::Ok, summaryOf(run.results).toStdString());
    emit finished();
    if (closeWhenDone_) {
        closeWhenDone_ = false;
        hide();
    }
}

void TRigForm::showRow(const RigRowUpdate& u) {
    QTreeWidgetItem* item = CabinetList->topLevelItem(u.row);
    if (!item) return;
    item->setText(PhaseColumn, u.phase);
    if (QProgressBar* bar = gauge(u.row); bar && u.percent >= 0) bar->setValue(u.percent);
    if (u.finished) item->setText(ResultColumn, u.result);
}

void TRigForm::StopBClick() {
    if (!running_ || stopping_) return;
    stopping_ = true;
    StopSource::process().request();
    StopB->setEnabled(false);
    StatusLabel->setText(QString::fromUtf8(kStoppingStatus));
}

void TRigForm::CerrarIconClick() {
    if (!running_) {
        hide();
        return;
    }
    if (closeWhenDone_) return;  // asked already; the run is stopping
    // A run already stopping needs no question: the window closes when it has ended.
    if (!stopping_ && !context_.ui.confirm(MessageKind::Warning, kCloseDuringRunQuestion)) return;
    closeWhenDone_ = true;
    StopBClick();
}

void TRigForm::closeEvent(QCloseEvent* event) {
    event->ignore();
    CerrarIconClick();
}

} // namespace vela::app
