#include "app/download_window.h"

#include "app/app_context.h"
#include "app/qt_user_interface.h"
#include "app/session_worker.h"
#include "app/updater_launcher.h"
#include "session/session.h"
#include "update/qt_http_getter.h"

#include <QLabel>
#include <QMetaObject>
#include <QProgressBar>
#include <QPushButton>

namespace vela::app {

DownloadProgressWindow::DownloadProgressWindow(AppContext& context, QWidget* parent)
    : BorderlessWindow(QStringLiteral("Downloading Update"), {441, 63}, parent),
      context_(context),
      cancelled_(std::make_shared<std::atomic<bool>>(false)),
      launcher_(desktopUpdaterLauncher(context.ui, [this] {
          QMetaObject::invokeMethod(this, &DownloadProgressWindow::downloadEnded);
      })) {
    InfoLabel = new QLabel(this);
    InfoLabel->setAccessibleName(QStringLiteral("Download status"));
    InfoLabel->setGeometry(12, 8, 330, 20);
    ProgressBar = new QProgressBar(this);
    ProgressBar->setTextVisible(false);
    ProgressBar->setAccessibleName(QStringLiteral("Download progress"));
    ProgressBar->setGeometry(12, 34, 330, 16);
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    CancelButton->setGeometry(354, 18, 75, 28);
    connect(CancelButton, &QPushButton::clicked, this, &DownloadProgressWindow::CancelButtonClick);

    connect(&context_.ui, &QtUserInterface::statusChanged, this, [this](StatusField field, const QString& text) {
        if (field != StatusField::DownloadInfo) return;
        InfoLabel->setText(text);
        // The first progress text means the download connection is open.
        if (!isVisible()) show();
    });
    connect(&context_.ui, &QtUserInterface::gaugeChanged, this, [this](Gauge gauge, int position, int maximum) {
        if (!isVisible() || gauge != Gauge::ProgressBar) return;
        ProgressBar->setMaximum(maximum);
        ProgressBar->setValue(position);
    });
}

DownloadProgressWindow::~DownloadProgressWindow() = default;

void DownloadProgressWindow::attach(UpdateCheck& check) {
    cancelled_->store(false);
    check.cancelRequested = [flag = cancelled_] { return flag->load(); };
}

void DownloadProgressWindow::checkForUpdate(UpdateSettings settings) {
    auto quit = std::make_shared<bool>(false);
    context_.worker.run(
        [this, settings = std::move(settings), quit](Session& s) {
            QtHttpGetter http;
            UpdateCheck check(s.state, s.ui, http, settings);
            attach(check);
            const CheckResult result = check.fetchVersion();
            if (result.outcome == CheckOutcome::Newer) *quit = check.offerNewerVersion(result.versionText, *launcher_);
        },
        [this, quit] {
            downloadEnded();
            if (*quit) emit quitRequested();
        });
}

void DownloadProgressWindow::offerUpdate(UpdateSettings settings, std::string versionText) {
    auto quit = std::make_shared<bool>(false);
    context_.worker.run(
        [this, settings = std::move(settings), versionText = std::move(versionText), quit](Session& s) {
            QtHttpGetter http;
            UpdateCheck check(s.state, s.ui, http, settings);
            attach(check);
            *quit = check.offerNewerVersion(versionText, *launcher_);
        },
        [this, quit] {
            downloadEnded();
            if (*quit) emit quitRequested();
        });
}

void DownloadProgressWindow::downloadEnded() {
    hide();
    InfoLabel->clear();
    ProgressBar->setValue(0);
    CancelButton->setEnabled(true);
}

void DownloadProgressWindow::CancelButtonClick() {
    cancelled_->store(true);
    CancelButton->setEnabled(false);
    InfoLabel->setText(QStringLiteral("Cancelling..."));
}

}  // namespace vela::app
