#include "update/detached_updater_launcher.h"

#include <QProcess>
#include <QString>

namespace vela {

bool DetachedUpdaterLauncher::start(const std::string& program, const std::string& workingDirectory) {
    return QProcess::startDetached(QString::fromStdString(program), {}, QString::fromStdString(workingDirectory));
}

}  // namespace vela
