#include "cli/cli_application.h"

#include "cli/args.h"

#include <QGuiApplication>

#include <stdexcept>

namespace vela::cli {
namespace {

bool drawsPictures(int argc, char** argv) {
    try {
        const Args args = Args::parse(argc, argv);
        return args.positional.size() >= 2 && args.positional[0] == "preset" && args.positional[1] == "plot";
    } catch (const std::invalid_argument&) {
        return false;
    }
}

}  // namespace

std::unique_ptr<QCoreApplication> makeCliApplication(int& argc, char** argv) {
    if (!drawsPictures(argc, argv)) return std::make_unique<QCoreApplication>(argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    return std::make_unique<QGuiApplication>(argc, argv);
}

}  // namespace vela::cli
