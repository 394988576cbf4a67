// Renders every window and dialog to PNG files for review: app_screenshots OUTPUT_DIR.
// Run it under the offscreen platform, and again with QT_SCALE_FACTOR=2. The windows run on
// the built-in simulated unit and a simulated Ethernet module on 127.0.0.1.

#include "app/designer_controls.h"
#include "app/designer_window.h"
#include "app/summed_view.h"
#include "app/tune_dialog.h"
#include "two_way_measurements.h"
#include <QFile>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextStream>
#include <cmath>
#include "platform/folders.h"
#include "app/acercade_form.h"
#include "app/application.h"
#include "app/artwork.h"
#include "app/connect_form.h"
#include "app/download_window.h"
#include "app/em100_form.h"
#include "app/led_button.h"
#include "app/library_form.h"
#include "app/main_menu.h"
#include "app/message_dialog.h"
#include "app/password_dialog.h"
#include "app/rig_form.h"
#include "app/response_window.h"
#include "app/system_info_form.h"
#include "app/transfer_form.h"
#include "message_texts.h"
#include "session/preset_operations.h"
#include "session/session.h"
#include "sim/ethernet_module.h"
#include "sim/simulated_rig.h"
#include "sim/udp_module_endpoint.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <cstdio>

namespace vela::app {
namespace {

using namespace std::chrono_literals;

class Shooter {
public:
    Shooter(QString dir, QString suffix) : dir_(std::move(dir)), suffix_(std::move(suffix)) {}

    void shoot(QWidget& w, const QString& name) {
        const bool wasVisible = w.isVisible();
        if (!wasVisible) w.show();
        QTest::qWait(30);
        save(w.grab(), name);
        if (!wasVisible) w.hide();
    }
    void save(const QPixmap& picture, const QString& name) {
        const QString file = dir_ + "/" + name + suffix_ + ".png";
        if (picture.save(file)) {
            std::printf("%s\n", qPrintable(file));
        } else {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
            failed_ = true;
        }
    }
    bool failed() const { return failed_; }

private:
    QString dir_;
    QString suffix_;
    bool failed_ = false;
};

void settle(Application& app) {
    app.worker().waitIdle(15000);
    QTest::qWait(50);
}

// A question asked the way the procedures ask it, photographed and then answered.
void shootMessage(Application& app, Shooter& shooter, MessageKind kind, Buttons buttons, const std::string& text,
                  const QString& name) {
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<MessageDialog*>(QApplication::activeModalWidget());
        if (!box) return;
        poll.stop();
        QTest::qWait(30);
        shooter.save(box->grab(), name);
        box->buttons().front()->click();
    });
    poll.start();
    app.worker().run([kind, buttons, text](Session& s) { s.ui.message(kind, buttons, text); });
    settle(app);
}

// Opening a factory preset warns that its stored limiter tables give way to a new preset's;
// the warning is answered as it appears.
void openPreset(Application& app, const std::string& path) {
    QTimer answer;
    answer.setInterval(20);
    QObject::connect(&answer, &QTimer::timeout, [] {
        if (auto* box = qobject_cast<MessageDialog*>(QApplication::activeModalWidget())) box->buttons().front()->click();
    });
    answer.start();
    app.document().open(path);
    settle(app);
}

// A measured cabinet in the FRD exchange format: a vented woofer's low end, a presence bump
// and the tweeter's roll-off, around 90 dB SPL.
QString writeMeasurement(const QString& dir, const QString& name, double lowHz, double bumpDb) {
    const QString file = dir + "/" + name;
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly)) return {};
    QTextStream text(&out);
    text << "* screenshot measurement\n";
    for (double hz = 10; hz <= 24000; hz *= 1.02) {
        const double x = hz / lowHz;
        const double low = 10 * std::log10(std::pow(x, 8) / (1 + std::pow(x, 8)));
        const double bump = bumpDb * std::exp(-std::pow(std::log2(hz / 2500), 2) * 2);
        const double high = -10 * std::log10(1 + std::pow(hz / 16000, 4));
        const double ripple = 1.2 * std::sin(std::log2(hz) * 5);
        text << hz << " " << 90 + low + bump + high + ripple << " " << std::fmod(-hz / 40, 360.0) << "\n";
    }
    return file;
}

void shootDesigner(Application& app, Shooter& shooter) {
    DesignerWindow& designer = app.windows().mainMenu->designer();
    QTemporaryDir dir;
    ParameterControls& c = designer.controls();
    c.set("import.type", "11");
    c.set("import.1", writeMeasurement(dir.path(), "woofer.frd", 55, 4).toStdString());
    c.set("import.2", writeMeasurement(dir.path(), "sub.frd", 35, -2).toStdString());
    c.set("eq.1.2.type", "Parametric Q const");
    c.set("eq.1.2.freq", "2500");
    c.set("eq.1.2.gain", "-4");
    c.set("eq.1.2.q", "1.4");
    c.set("eq.1.3.type", "Shelv Low 12dB");
    c.set("eq.1.3.freq", "120");
    c.set("eq.1.3.gain", "3");
    designer.show();
    settle(app);
    shooter.shoot(designer, "9-designer");
    auto* sections = designer.Outputs->currentWidget()->findChild<QTabWidget*>();
    for (int i = 1; i < sections->count(); ++i) {
        sections->setCurrentIndex(i);
        shooter.shoot(designer, "9-designer-" + sections->tabText(i).toLower().replace(' ', '-'));
    }
    designer.Outputs->setCurrentIndex(3);
    shooter.shoot(designer, "9-designer-inputs");

    // A two-way cabinet: its drivers' sum, the fit running, its preview, and the sum once applied.
    const auto [woofer, tweeter] = test::writeTwoWay(dir.path());
    c.set("import.1", woofer.toStdString());
    c.set("import.2", tweeter.toStdString());
    designer.Outputs->setCurrentIndex(2);
    settle(app);
    shooter.shoot(designer, "9-designer-sum");
    designer.Outputs->setCurrentIndex(0);
    for (auto* b : designer.findChildren<QPushButton*>())
        if (b->isVisible() && b->text() == QStringLiteral("Tune…")) b->click();
    auto* tune = designer.findChild<TuneDialog*>();
    tune->FitButton->click();
    QTest::qWait(300);
    shooter.shoot(*tune, "9-designer-tune-running");
    while (tune->fitting()) QTest::qWait(50);
    shooter.shoot(*tune, "9-designer-tune");
    tune->MagnitudeOnlyBox->setChecked(true);
    tune->FitButton->click();
    while (tune->fitting()) QTest::qWait(50);
    shooter.shoot(*tune, "9-designer-tune-magnitude-only");
    tune->MagnitudeOnlyBox->setChecked(false);
    tune->FitButton->click();
    while (tune->fitting()) QTest::qWait(50);
    tune->ApplyButton->click();
    tune->close();
    designer.Outputs->setCurrentIndex(2);
    designer.findChild<SummedView*>()->addOverlay(1, test::two_way::write(dir.path() + "/tweeter-30.frd", true, 9000));
    settle(app);
    shooter.shoot(designer, "9-designer-sum-tuned");
    {
        QFile house(dir.path() + "/house.txt");
        house.open(QIODevice::WriteOnly);
        house.write("Freq dB\n100 2\n1000 0\n20000 -3\n");
    }
    designer.findChild<SummedView*>()->loadTargetFile(dir.path() + "/house.txt");
    settle(app);
    shooter.shoot(designer, "9-designer-sum-target-file");
    designer.hide();
}

// The whole-rig window: after its scan, in the middle of "Update all", its closing message and
// the end of the run. Four cabinets at the wire's pace; the third has a memory that refuses
// writes and the fourth never answers.
void shootRig(Application& app, Shooter& shooter) {
    std::vector<sim::RigCabinet> cabinets(4);
    const int codes[] = {15, 15, 4, 15};  // M09, M09, M02, M09
    for (std::size_t i = 0; i < cabinets.size(); ++i) {
        cabinets[i].unit.modelCode = codes[i];
        cabinets[i].unit.baud = 115200;
        cabinets[i].unit.exchangeTimeout = 500ms;
        cabinets[i].model = codes[i] == 4 ? "M02" : "M09";
    }
    cabinets[2].unit.protectedMemories = {3};
    cabinets[3].unit.faults.push_back({sim::SimFault::Kind::Silent, 0});
    sim::SimulatedRig rig(cabinets);
    TEM100Form& ethernet = *app.windows().ethernet;
    ethernet.settings.broadcast = sim::kRigDiscoveryAddress;
    ethernet.settings.udpPort = rig.udpPort();
    ethernet.settings.tcpPort = rig.tcpPort();
    TRigForm& form = *ethernet.RigForm;
    form.openCabinet = [](UserInterface& ui, const CabinetToLoad& c) {
        auto s = openSession(ui, c.link);
        s->libraryForm.dataDirectories = {VELA_LIBRARIES};
        return s;
    };
    bool ended = false;
    QObject::connect(&form, &TRigForm::finished, [&] { ended = true; });
    auto waitUntil = [](const std::function<bool()>& done) {
        for (int i = 0; i < 3000 && !done(); ++i) QTest::qWait(20);
    };
    ethernet.WholeRigBClick();
    waitUntil([&] { return ended; });
    shooter.shoot(form, "3-rig-scanned");

    ended = false;
    form.CabinetList->topLevelItem(1)->setCheckState(TRigForm::CabinetColumn, Qt::Unchecked);
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<MessageDialog*>(QApplication::activeModalWidget());
        if (!box) return;
        poll.stop();
        QTest::qWait(30);
        shooter.save(box->grab(), "3-rig-message");
        box->buttons().front()->click();
    });
    poll.start();
    form.UpdateAllBClick();
    waitUntil([&] {
        return ended || (form.CabinetList->topLevelItem(0)->text(TRigForm::PhaseColumn).startsWith("writing memory 2"));
    });
    shooter.shoot(form, "3-rig-running");
    waitUntil([&] { return ended; });
    shooter.shoot(form, "3-rig-done");
    form.hide();
}

void shootAll(Shooter& shooter) {
    GuiOptions options;
    options.link.sim = true;
    Application app(options);
    WindowSet& w = app.windows();
    settle(app);
    shooter.shoot(*w.connect, "1-connect");

    // The USB road: the library window with the simulated unit's answer.
    w.connect->USBButton->click();
    settle(app);
    shooter.shoot(*w.library, "2-library");

    // The Ethernet window after a scan that found two modules, the first one chosen.
    sim::UdpModuleEndpoint modules({sim::EthernetModuleSim::parseModuleOption("ID1,M09,STAGEL"),
                                    sim::EthernetModuleSim::parseModuleOption("ID2,M09,STAGER")},
                                   0);
    w.ethernet->settings.broadcast = "127.0.0.1";
    w.ethernet->settings.udpPort = modules.port();
    w.ethernet->settings.scanTime = 300ms;
    shooter.shoot(*w.ethernet, "3-ethernet-start");
    w.ethernet->ModelComboBox->setCurrentIndex(0);
    w.ethernet->ModelComboBoxChange(0);
    settle(app);
    w.ethernet->ProcessorBoxClick(0);
    settle(app);
    shooter.shoot(*w.ethernet, "3-ethernet-scanned");
    shootRig(app, shooter);

    shooter.shoot(*w.mainMenu, "4-mainmenu");
    // The PROGRAM label's twenty clicks reveal copy-all and Library.
    w.mainMenu->show();
    for (int i = 0; i < 20; ++i) QTest::mouseClick(w.mainMenu->Label9, Qt::LeftButton);
    settle(app);
    shooter.shoot(*w.mainMenu, "4-mainmenu-revealed");
    w.mainMenu->hide();
    // The response plot of a factory preset with a crossover, split and combined.
    openPreset(app, VELA_PRESETS "/M01/02-Live.hdp");
    w.mainMenu->ResponseButton->click();
    settle(app);
    ResponseWindow& response = w.mainMenu->responseWindow();
    shooter.shoot(response, "4-response");
    response.CombinedBox->setChecked(true);
    shooter.shoot(response, "4-response-combined");
    response.close();
    shootDesigner(app, shooter);
    shooter.shoot(*w.about, "5-about");
    shooter.shoot(*w.data, "6-data");
    w.transfer->Info->setText("Sending DATA...");
    w.transfer->Gauge->setValue(40);
    shooter.shoot(*w.transfer, "7-transfer");
    w.systemInfo->ProjectName->setText("Arena tour");
    shooter.shoot(*w.systemInfo, "8-systeminfo");

    PasswordDialog password(w.mainMenu);
    password.codeEdit()->setText("ABC");
    shooter.shoot(password, "dialog-password");

    shooter.save(artworkPixmap(art::kAppIcon, {64, 64}, qApp->devicePixelRatio()), "app-icon");

    DownloadProgressWindow& download = app.download();
    download.InfoLabel->setText("Downloading Update:  2.00Mb  -->  5.00Mb");
    download.ProgressBar->setRange(0, 100);
    download.ProgressBar->setValue(40);
    shooter.shoot(download, "dialog-download");

    // Questions belong to the window the user works in.
    app.ui().dialogParent = [&w] { return static_cast<QWidget*>(w.library); };
    for (const test::MessageText& m : test::messageTexts())
        shootMessage(app, shooter, m.kind, m.buttons, m.text, QStringLiteral("message-") + m.name);
}

}  // namespace
}  // namespace vela::app

int main(int argc, char** argv) {
    vela::platform::provideRuntimeDirectory();
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots");
    QDir().mkpath(dir);
    const QString suffix = app.devicePixelRatio() > 1.0 ? QStringLiteral("@2x") : QString();
    vela::app::Shooter shooter(dir, suffix);
    vela::app::shootAll(shooter);
    return shooter.failed() ? 1 : 0;
}
