#include "cli/session_factory.h"

#include "sim/in_process_unit.h"

#include <QCoreApplication>

namespace vela::cli {
namespace {

// Library and manual files not in the current directory are looked for beside the program
// (the build tree) and in its installed data directory.
std::vector<std::filesystem::path> dataDirectories() {
    if (!QCoreApplication::instance()) return {};
    const std::filesystem::path dir = QCoreApplication::applicationDirPath().toStdString();
    return {dir / "libraries", dir / "manuals", dir.parent_path() / "share" / "velaupdate" / "libraries",
            dir.parent_path() / "share" / "velaupdate" / "manuals"};
}

}  // namespace

std::unique_ptr<Session> openSession(Context& ctx) { return openSession(ctx.ui, ctx.link); }

std::unique_ptr<Session> openSession(UserInterface& ui, const LinkOptions& link) {
    // --sim: every channel leads to a simulated unit running inside this process.
    auto s = link.sim ? std::make_unique<Session>(ui, sim::inProcessDevices(std::make_shared<sim::InProcessUnit>()))
                      : std::make_unique<Session>(ui, hardwareDevices(link));
    s->libraryForm.dataDirectories = dataDirectories();
    return s;
}

}  // namespace vela::cli
