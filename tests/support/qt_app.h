#pragma once
// A QCoreApplication for tests whose code runs local event loops (network replies, timers).

#include <QCoreApplication>

namespace vela::test {

inline void ensureQtApplication() {
    if (QCoreApplication::instance()) return;
    static int argc = 1;
    static char name[] = "vela-test";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
}

}  // namespace vela::test
