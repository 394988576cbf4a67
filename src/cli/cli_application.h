#pragma once
// The Qt application object of the command line: a plain core application, except for the
// commands that draw pictures, which need fonts and so a GUI application on the offscreen
// platform (the command line never opens a window).

#include <QCoreApplication>

#include <memory>

namespace vela::cli {

std::unique_ptr<QCoreApplication> makeCliApplication(int& argc, char** argv);

}  // namespace vela::cli
