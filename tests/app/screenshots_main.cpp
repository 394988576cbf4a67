// Renders every window and dialog to PNG files for review: app_screenshots OUTPUT_DIR.
// Run it under the offscreen platform, and again with QT_SCALE_FACTOR=2.

#include "app/borderless_window.h"
#include "app/icon_button.h"
#include "app/led_button.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QTextStream>

#include <cstdio>

namespace vela::app {
namespace {

class Shooter {
public:
    explicit Shooter(QString dir, QString suffix) : dir_(std::move(dir)), suffix_(std::move(suffix)) {}

    void shoot(QWidget& w, const QString& name) {
        w.show();
        QApplication::processEvents();
        const QString file = dir_ + "/" + name + suffix_ + ".png";
        if (w.grab().save(file)) {
            std::printf("%s\n", qPrintable(file));
        } else {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
            failed_ = true;
        }
        w.hide();
    }
    bool failed() const { return failed_; }

private:
    QString dir_;
    QString suffix_;
    bool failed_ = false;
};

// The parts every window is made of, side by side.
void shootParts(Shooter& shooter) {
    BorderlessWindow w("Parts", {489, 300});
    w.addLogo({16, 12, 120, 40});
    w.addBanner("Tessera UPDATER V1.9", {140, 20, 220, 24});
    w.addMinimiseIcon({433, 10});
    w.addCloseIcon({459, 10});
    auto* usb = new LedButton("USB", &w);
    usb->move(20, 80);
    auto* on = new LedButton("Offline", &w);
    on->setLedOn(true);
    on->move(120, 80);
    auto* off = new LedButton("Update M01", &w);
    off->setEnabled(false);
    off->move(230, 80);
    auto* manual = new IconButton(IconKind::Manual, &w);
    manual->move(380, 84);
    auto* combo = new QComboBox(&w);
    combo->addItems({"M01", "M02"});
    combo->setGeometry(20, 130, 140, 24);
    auto* edit = new QLineEdit("NoName", &w);
    edit->setGeometry(180, 130, 140, 24);
    auto* gauge = new QProgressBar(&w);
    gauge->setGeometry(20, 175, 440, 18);
    gauge->setValue(42);
    auto* label = new QLabel("Status : USB", &w);
    label->setProperty("role", "status");
    label->setGeometry(20, 205, 300, 20);
    shooter.shoot(w, "parts");
}

}  // namespace
}  // namespace vela::app

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots");
    QDir().mkpath(dir);
    const QString suffix = app.devicePixelRatio() > 1.0 ? QStringLiteral("@2x") : QString();
    vela::app::Shooter shooter(dir, suffix);
    vela::app::shootParts(shooter);
    return shooter.failed() ? 1 : 0;
}
