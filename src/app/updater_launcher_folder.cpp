#include "app/updater_launcher.h"

#include "core/user_interface.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QMetaObject>
#include <QString>
#include <QUrl>

namespace vela::app {
namespace {

class FolderLauncher : public UpdaterLauncher {
public:
    FolderLauncher(UserInterface& ui, std::function<void()> closeProgress)
        : ui_(ui), closeProgress_(std::move(closeProgress)) {}

    bool start(const std::string& program, const std::string& workingDirectory) override {
        closeProgress_();
        const Answer a = ui_.message(
            MessageKind::Information, Buttons::YesNo,
            "The update was downloaded to:\n" + program +
                "\n\nRun it to install the new version; VELAupdate now closes. Do you want to open the folder "
                "that holds it?");
        if (a == Answer::Yes) {
            const QUrl folder = QUrl::fromLocalFile(QString::fromStdString(workingDirectory));
            QMetaObject::invokeMethod(QCoreApplication::instance(), [folder] { QDesktopServices::openUrl(folder); });
        }
        // The updater is in the user's hands now, as if it had been started.
        return true;
    }

private:
    UserInterface& ui_;
    std::function<void()> closeProgress_;
};

}  // namespace

std::unique_ptr<UpdaterLauncher> desktopUpdaterLauncher(UserInterface& ui, std::function<void()> closeProgress) {
    return std::make_unique<FolderLauncher>(ui, std::move(closeProgress));
}

}  // namespace vela::app
