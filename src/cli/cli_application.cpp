#include "cli/cli_application.h"

#include "cli/args.h"

#include <QDir>
#include <QGuiApplication>

#include <sys/stat.h>
#include <unistd.h>

namespace vela::cli {
namespace {

bool drawsPictures(int argc, char** argv) {
    const Args args = Args::parse(argc, argv);
    return args.positional.size() >= 2 && args.positional[0] == "preset" && args.positional[1] == "plot";
}

// A picture drawn without a desktop session has no runtime directory; Qt would fall back to
// its own under the temporary directory with a warning on every run. Provide that same
// private directory quietly.
void provideRuntimeDirectory() {
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) return;
    const QByteArray dir = QDir::tempPath().toLocal8Bit() + "/runtime-" + QByteArray::number(::getuid());
    ::mkdir(dir.constData(), 0700);
    struct stat st {};
    if (::lstat(dir.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
        (st.st_mode & 0777) == 0700)
        qputenv("XDG_RUNTIME_DIR", dir);
}

}  // namespace

std::unique_ptr<QCoreApplication> makeCliApplication(int& argc, char** argv) {
    if (!drawsPictures(argc, argv)) return std::make_unique<QCoreApplication>(argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    provideRuntimeDirectory();
    return std::make_unique<QGuiApplication>(argc, argv);
}

}  // namespace vela::cli
