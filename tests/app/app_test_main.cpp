// The window tests need an application object before any widget exists.
#include "platform/folders.h"
#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // Listing the tests at build time needs an application object too, display or none.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    vela::platform::provideRuntimeDirectory();
    QApplication app(argc, argv);
    QApplication::setApplicationName("VELAupdate");
    QApplication::setQuitOnLastWindowClosed(false);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
