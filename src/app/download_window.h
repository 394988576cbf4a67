#pragma once
// The updater download's progress window (441 x 63): the progress text, a gauge and Cancel.
// It shows itself with the download's first progress text and closes when the download ends.

#include "app/borderless_window.h"
#include "update/update_check.h"

#include <atomic>
#include <memory>

namespace vela {
class Session;
}

class QLabel;
class QProgressBar;
class QPushButton;

namespace vela::app {

struct AppContext;

class DownloadProgressWindow : public BorderlessWindow {
    Q_OBJECT
public:
    explicit DownloadProgressWindow(AppContext& context, QWidget* parent = nullptr);
    ~DownloadProgressWindow() override;

    QLabel* InfoLabel;
    QProgressBar* ProgressBar;
    QPushButton* CancelButton;

    // Ties a check's download to this window: its Cancel stops it and its end closes the window.
    // Call on the worker thread, before the download.
    void attach(UpdateCheck& check);
    // The launcher the check uses once the download is complete (see updater_launcher.h).
    UpdaterLauncher& launcher() { return *launcher_; }

    // The version check on the worker and, when the published version is newer and the user
    // agrees, the download with this window's progress. quitRequested() follows a complete
    // download.
    void checkForUpdate(UpdateSettings settings);
    // The same after a check made elsewhere (the start-up check) found `versionText` newer:
    // the question and, on Yes, the download.
    void offerUpdate(UpdateSettings settings, std::string versionText);

signals:
    void quitRequested();

public slots:
    void CancelButtonClick();
    // The download ended, whichever way: the window closes.
    void downloadEnded();

private:
    AppContext& context_;
    // Read by the worker while it downloads.
    std::shared_ptr<std::atomic<bool>> cancelled_;
    std::unique_ptr<UpdaterLauncher> launcher_;
};

}  // namespace vela::app
