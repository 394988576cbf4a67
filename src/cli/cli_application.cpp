#include "cli/cli_application.h"

#include "core/args.h"
#include "platform/folders.h"

#include <QGuiApplication>

namespace vela::cli {
namespace {

bool drawsPictures(int argc, char** argv) {
    const Args args = Args::parse(argc, argv);
    return args.positional.size() >= 2 && args.positional[0] == "preset" && args.positional[1] == "plot";
}

}  // namespace

std::unique_ptr<QCoreApplication> makeCliApplication(int& argc, char** argv) {
    if (!drawsPictures(argc, argv)) return std::make_unique<QCoreApplication>(argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    platform::provideRuntimeDirectory();
    return std::make_unique<QGuiApplication>(argc, argv);
}

}  // namespace vela::cli
