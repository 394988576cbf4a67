#pragma once
// The desktop application: the user interface, the worker that owns the session and the
// eight windows, created in their fixed order. The program and the tests both build it.

#include "app/app_context.h"
#include "app/document_link.h"
#include "app/gui_options.h"
#include "app/qt_user_interface.h"
#include "app/session_worker.h"
#include "app/window_set.h"
#include "core/run_log.h"
#include "session/operations.h"
#include "session/preset_document.h"
#include "update/qt_settings_store.h"
#include "update/update_preferences.h"

#include <memory>
#include <vector>

class QWidget;

namespace vela::app {

class DownloadProgressWindow;

class Application {
public:
    // Makes the session on the worker thread; by default the options choose the devices.
    using SessionMaker = std::function<std::unique_ptr<Session>(UserInterface& ui)>;
    explicit Application(GuiOptions options, SessionMaker makeSession = {});
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    WindowSet& windows() { return windows_; }
    SessionWorker& worker() { return *worker_; }
    QtUserInterface& ui() { return ui_; }
    PresetDocument& document() { return document_; }
    const FirmwareChoice& firmware() const { return firmware_; }
    // The updater download's progress window; not one of the eight.
    DownloadProgressWindow& download() { return *download_; }
    // The window's kept choice of checking for updates at start.
    UpdatePreferences& updatePreferences() { return preferences_; }
    // This run's log; closed when it could not be made.
    const RunLog& runLog() const { return log_; }

private:
    void createWindows();
    void installSessionHooks();
    void createDownloadWindow();
    void showDesigner();
    void openRunLog();
    template <typename Window, typename... Args>
    Window* create(Args&&... args);

    GuiOptions options_;
    FirmwareChoice firmware_;
    QtSettingsStore settings_;
    UpdatePreferences preferences_{settings_};
    RunLog log_;
    QtUserInterface ui_;
    // The preset the windows edit; the worker gets a copy to write.
    PresetDocument document_{ui_};
    std::unique_ptr<SessionWorker> worker_;
    std::unique_ptr<DocumentLink> documentLink_;
    WindowSet windows_;
    AppContext context_;
    std::vector<std::unique_ptr<QWidget>> owned_;
    std::unique_ptr<DownloadProgressWindow> download_;
};

// The session the options ask for, its channels created on the calling thread.
std::unique_ptr<Session> makeSession(UserInterface& ui, const GuiOptions& options);

}  // namespace vela::app
