#pragma once
// A QApplication for widget tests under the offscreen platform.

#include <QApplication>

namespace vela::test {

inline void ensureGuiApplication() {
    if (QApplication::instance()) return;
    static int argc = 1;
    static char name[] = "vela-gui-test";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
}

}  // namespace vela::test
