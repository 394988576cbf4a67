#include "update/startup_update_check.h"

#include "update/qt_http_getter.h"

#include <QCoreApplication>
#include <QThread>

#include <memory>

namespace vela {
namespace {

// Problems of a check nobody asked for are not worth a dialog: the result carries them.
class QuietUi : public GaugeKeeper {
public:
    Answer message(MessageKind, Buttons, std::string_view) override { return Answer::No; }
    void status(StatusField, std::string_view) override {}
    void showTransferWindow() override {}
    void closeTransferWindow() override {}
    void beep() override {}
    void pump() override {}
};

}  // namespace

bool StartupUpdateCheck::start(const UpdatePreferences& preferences, UpdateSettings settings, QObject* context,
                               std::function<void(const CheckResult&)> done) {
    if (!preferences.automaticCheck()) return false;
    auto result = std::make_shared<CheckResult>();
    QThread* thread = QThread::create([settings = std::move(settings), result] {
        // The HTTP client lives and dies on this thread, as Qt wants it.
        QtHttpGetter http;
        QuietUi ui;
        SessionState state;
        UpdateCheck check(state, ui, http, settings);
        try {
            *result = check.fetchVersion();
        } catch (const std::exception& e) {  // a malformed server address
            result->error = e.what();
        }
    });
    // Delivered on the context's thread; the connection goes with the context.
    QObject::connect(thread, &QThread::finished, context, [result, done = std::move(done)] { done(*result); });
    QObject::connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    if (auto* app = QCoreApplication::instance())
        QObject::connect(app, &QCoreApplication::aboutToQuit, thread, [thread] { thread->wait(); });
    thread->start();
    return true;
}

}  // namespace vela
