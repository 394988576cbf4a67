#include "app/gui_main.h"

#include <QApplication>
#include <QLabel>

namespace vela {

int runGui(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("VELAupdate");
    QLabel banner("Tessera UPDATER V1.9");
    banner.setWindowTitle("VELAupdate");
    banner.setAlignment(Qt::AlignCenter);
    banner.resize(489, 396);
    banner.show();
    return app.exec();
}

}  // namespace vela
