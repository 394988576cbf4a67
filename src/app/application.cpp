#include "app/application.h"

#include "app/acercade_form.h"
#include "app/connect_form.h"
#include "app/designer_window.h"
#include "app/download_window.h"
#include "app/em100_form.h"
#include "app/main_menu.h"
#include "app/system_info_form.h"
#include "app/library_form.h"
#include "app/transfer_form.h"
#include "session/run_log_setup.h"
#include "session/link_choice.h"
#include "session/session.h"
#include "update/startup_update_check.h"
#include "platform/utf8_paths.h"

#include <QApplication>
#include <QDesktopServices>
#include <QUrl>

#include <cstdio>

namespace vela::app {
namespace {

std::optional<std::filesystem::path> pathOf(const std::optional<std::string>& file) {
    if (!file) return std::nullopt;
    return platform::pathFromUtf8(*file);
}

}  // namespace

std::unique_ptr<Session> makeSession(UserInterface& ui, const GuiOptions& options) {
    auto s = openSession(ui, options.link);
    if (options.link.kind == LinkKind::Ethernet) s->link.ethernet.setAddress(options.link.host, options.link.tcpPort);
    return s;
}

Application::Application(GuiOptions options, SessionMaker maker)
    : options_(std::move(options)),
      firmware_(chooseFirmware(pathOf(options_.firmwareFile), options_.link.sim, options_.force)),
      worker_(std::make_unique<SessionWorker>([this, maker = std::move(maker)] {
          auto s = maker ? maker(ui_) : makeSession(ui_, options_);
          // The designer's own command: tuning, with no way into the installer's windows.
          s->windows.installerWindows = !options_.designer;
          return s;
      })),
      documentLink_(std::make_unique<DocumentLink>(*worker_, document_)),
      context_{*worker_, ui_, options_, &windows_, document_} {
    openRunLog();
    createWindows();
    installSessionHooks();
    worker_->run([](Session&) {});  // the windows' first view of the session
}

Application::~Application() {
    // Questions still to come get their safe answer; a run waiting for the connection window
    // goes on without it and ends; then the windows go, and the session with its thread.
    ui_.setClosing();
    log_.note("outcome", "window closed");
    worker_->stopServing();
    worker_->requestStop();
    // Every session hears it, each cabinet of a whole-rig run too.
    StopSource::process().request();
    worker_->waitIdle(30000);
    download_.reset();
    owned_.clear();
    documentLink_.reset();
    worker_.reset();
}

template <typename Window, typename... Args>
Window* Application::create(Args&&... args) {
    auto window = std::make_unique<Window>(context_, std::forward<Args>(args)...);
    Window* w = window.get();
    windows_.inCreationOrder.push_back(w);
    owned_.push_back(std::move(window));
    return w;
}

void Application::createWindows() {
    windows_.connect = create<TConnectForm>();
    windows_.library = create<TLoadAllMemForm>(firmware_);
    // The designer's own command makes it the window the program ends with.
    if (!options_.designer) windows_.connect->show();
    windows_.ethernet = create<TEM100Form>(firmware_);
    // The main window is painted before the rest are made.
    for (int i = 0; i < 100; ++i) QCoreApplication::processEvents();
    windows_.mainMenu = create<TMainMenu>(firmware_);
    windows_.about = create<TAcercadeForm>();
    windows_.data = create<TDATAForm>();
    windows_.transfer = create<TW_Serial_Info_Form>();
    windows_.systemInfo = create<TSystemInfoForm>();
    // The preset name is one name shown in two windows.
    QObject::connect(windows_.mainMenu, &TMainMenu::systemNameChanged, windows_.systemInfo,
                     &TSystemInfoForm::copySystemName);
    QObject::connect(windows_.systemInfo, &TSystemInfoForm::systemNameChanged, windows_.mainMenu,
                     &TMainMenu::copySystemName);
    // Every route that ends the program asks the designer about unsaved edits first.
    windows_.connect->closer().mayEnd = [this] {
        return !document_.modified() || windows_.mainMenu->designer().agreeToClose();
    };
    if (options_.service) windows_.mainMenu->show();
    if (options_.designer) showDesigner();
    createDownloadWindow();
}

void Application::showDesigner() {
    DesignerWindow& designer = windows_.mainMenu->designer();
    // A file that cannot be opened has been said; the designer then starts on New's defaults.
    if (options_.designerFile) document_.open(*options_.designerFile, PresetDocument::PeakNotice::Banner);
    TConnectForm* connect = windows_.connect;
    QObject::connect(&designer, &DesignerWindow::closed, connect, &TConnectForm::endProgram);
    designer.show();
}

void Application::createDownloadWindow() {
    download_ = std::make_unique<DownloadProgressWindow>(context_);
    QObject::connect(download_.get(), &DownloadProgressWindow::quitRequested, windows_.connect, &QWidget::close);
    windows_.connect->bindUpdatePreferences(preferences_);
    // The check runs at start-up where the maker's installation names its update server (the
    // built-in name reaches no server and would only report that), unless it is switched off.
    // It runs on a thread of its own, so the worker stays free for the unit; only a newer
    // version reaches the user, as the question and the download.
    if (!UpdateSettings::serverConfigured()) return;
    DownloadProgressWindow* window = download_.get();
    StartupUpdateCheck::start(preferences_, UpdateSettings::fromEnvironment(), window, [window](const CheckResult& r) {
        if (r.outcome == CheckOutcome::Newer) window->offerUpdate(UpdateSettings::fromEnvironment(), r.versionText);
    });
}

void Application::openRunLog() {
    // A window run is logged like a command: the support call afterwards reads the same file.
    if (options_.logFile) {
        // As on the command line: a log asked for by name that cannot be written is said.
        if (!log_.open(platform::pathFromUtf8(*options_.logFile))) {
            std::fprintf(stderr, "velaupdate: cannot write the log: %s\n", log_.errorText().c_str());
            return;
        }
    } else if (!log_.openNewRun()) {
        return;
    }
    log_.note("command", "window");
    log_.note("version", QCoreApplication::applicationVersion().toStdString());
    log_.note("link", describeLink(options_.link));
    ui_.setRunLog(&log_);
}

void Application::installSessionHooks() {
    TConnectForm* connectForm = windows_.connect;
    SessionWorker* worker = worker_.get();
    worker_->run([connectForm, worker](Session& s) {
        // A run started offline shows the connection window and waits until it is left.
        s.libraryForm.showConnectFormModal = [&s, connectForm, worker] {
            s.windows.connectFormVisible = true;
            auto open = std::make_shared<std::atomic<bool>>(true);
            QMetaObject::invokeMethod(connectForm, [connectForm, open, worker] {
                connectForm->showModalForRun([open, worker] {
                    *open = false;
                    worker->wake();
                });
            });
            worker->serveUntil([open] { return !open->load(); });
        };
        s.libraryForm.showConnectForm = [&s] { s.windows.connectFormVisible = true; };
        s.libraryForm.openWithShell = [connectForm](const std::filesystem::path& file) {
            bool opened = false;
            QMetaObject::invokeMethod(
                connectForm,
                [&] { opened = QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(platform::utf8FromPath(file)))); },
                Qt::BlockingQueuedConnection);
            return opened;
        };
    });
}

}  // namespace vela::app
