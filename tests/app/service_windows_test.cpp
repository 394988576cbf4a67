// The processor control window, its password dialog, System Info and About, against the
// simulated unit in this process.

#include "app/acercade_form.h"
#include "app/application.h"
#include "app/em100_form.h"
#include "sim/udp_module_endpoint.h"
#include "app/icon_button.h"
#include "app/led_button.h"
#include "app/main_menu.h"
#include "app/password_dialog.h"
#include "app/response_window.h"
#include "app/system_info_form.h"
#include "window_harness.h"
#include "platform/process.h"

#include <QAccessible>
#include <QApplication>
#include <QWindow>
#include <QCheckBox>
#include <filesystem>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <gtest/gtest.h>

namespace vela::app {
namespace {

using test::accessibleNameOf;
using test::WindowHarness;

struct ServiceWindows : ::testing::Test {
    WindowHarness h;
    TMainMenu menu{h.context, h.firmware};
    TSystemInfoForm info{h.context};
    TAcercadeForm about{h.context};

    void SetUp() override {
        QObject::connect(&menu, &TMainMenu::systemNameChanged, &info, &TSystemInfoForm::copySystemName);
        QObject::connect(&info, &TSystemInfoForm::systemNameChanged, &menu, &TMainMenu::copySystemName);
    }
    void clickProgramLabel(int times) {
        for (int i = 0; i < times; ++i) QTest::mouseClick(menu.Label9, Qt::LeftButton);
        h.settle();
    }
    // The link the connection step opens over USB, without going through it.
    void connectUsb() {
        h.worker->run([](Session& s) {
            s.state.Link = LinkKind::USB;
            s.state.UsbActive = true;
            s.link.EnableUnitCommands();
        });
        h.settle();
    }
};

TEST_F(ServiceWindows, TwentyClicksOnProgramRevealCopyAllAndLibrary) {
    menu.show();
    h.settle();
    clickProgramLabel(19);
    EXPECT_TRUE(menu.CopyAllMem->isHidden());
    EXPECT_TRUE(menu.LoadAllMemB->isHidden());
    clickProgramLabel(1);
    EXPECT_FALSE(menu.CopyAllMem->isHidden());
    EXPECT_FALSE(menu.LoadAllMemB->isHidden());
    EXPECT_EQ(h.session().state.ServiceClickCount, 0);
}

TEST_F(ServiceWindows, ShowingTheWindowAgainStartsTheCountAfresh) {
    menu.show();
    clickProgramLabel(15);
    menu.hide();
    menu.show();
    h.settle();
    clickProgramLabel(10);
    EXPECT_TRUE(menu.CopyAllMem->isHidden());
}

TEST_F(ServiceWindows, UnitCommandsFollowTheLink) {
    menu.show();
    h.settle();
    for (QWidget* w : menu.unitCommandControls()) EXPECT_FALSE(w->isEnabled()) << w->toolTip().toStdString();
    connectUsb();
    for (QWidget* w : menu.unitCommandControls()) EXPECT_TRUE(w->isEnabled()) << w->toolTip().toStdString();
    // The controls that are not unit commands stay usable offline.
    EXPECT_TRUE(menu.NewButton->isEnabled());
    EXPECT_TRUE(menu.ConnectButton->isEnabled());
}

TEST_F(ServiceWindows, KeyboardLockReachesTheUnitAndEnablesTheCommandsAgain) {
    menu.show();
    connectUsb();
    h.answerer.answers = {"OK"};
    QTest::mouseClick(menu.BlockB, Qt::LeftButton);
    EXPECT_FALSE(menu.ReadButton->isEnabled());  // locked while it runs
    h.settle();
    EXPECT_TRUE(h.answerer.said("Do you want to LOCK the Keyboard?"));
    std::vector<int> codes;
    h.unit->unit().waitIdle(std::chrono::seconds(5));
    for (const auto& r : h.unit->unit().records())
        if (r.kind == "exchange") codes.push_back(r.command);
    EXPECT_EQ(codes, std::vector<int>{5});
    EXPECT_TRUE(menu.ReadButton->isEnabled());
}

TEST_F(ServiceWindows, CommandsSayWhatTheyDidAndScreenReadersHearIt) {
    menu.show();
    connectUsb();
    QTest::mouseClick(menu.BlockB, Qt::LeftButton);
    h.settle();
    EXPECT_EQ(menu.OutcomeLabel->text(), "Keyboard locked");
    EXPECT_EQ(accessibleNameOf(menu.OutcomeLabel), "Keyboard locked");
    // The status line is read by its text, not by a fixed name.
    menu.InfoLabel->setText("Status : USB");
    EXPECT_EQ(accessibleNameOf(menu.InfoLabel), "Status : USB");
}

TEST_F(ServiceWindows, UnitWideCommandsOverEthernetSendNothingAndKeepTheLink) {
    menu.show();
    h.worker->run([](Session& s) {
        s.state.Link = LinkKind::Ethernet;
        s.state.EthernetActive = true;
        s.link.EnableUnitCommands();
    });
    h.settle();
    bool askedForPassword = false;
    menu.askPassword = [&] {
        askedForPassword = true;
        return passwordBytes("1234");
    };
    clickProgramLabel(20);
    for (QPushButton* b : {menu.BlockB, menu.UnblockB, menu.OnlyChangeProgB, menu.PasswordB, menu.CopyAllMem}) {
        h.answerer.texts.clear();
        QTest::mouseClick(b, Qt::LeftButton);
        h.settle();
        EXPECT_EQ(h.answerer.texts, QStringList{b->text() + ": the HALDA40 takes this command over USB or the serial "
                                                            "line only. Nothing was sent."});
        EXPECT_TRUE(menu.ReadButton->isEnabled()) << b->text().toStdString();  // the link stays
    }
    EXPECT_FALSE(askedForPassword);
    h.unit->unit().waitIdle(std::chrono::seconds(5));
    EXPECT_TRUE(h.unit->unit().records().empty());
    EXPECT_EQ(h.session().state.Link, LinkKind::Ethernet);
}

TEST_F(ServiceWindows, CopyAllAsksBeforeOverwritingThirteenMemories) {
    menu.show();
    connectUsb();
    clickProgramLabel(20);
    h.answerer.answers = {"No"};
    QTest::mouseClick(menu.CopyAllMem, Qt::LeftButton);
    h.settle();
    EXPECT_EQ(h.answerer.texts, QStringList{"Same Copy at All Memories overwrites memories 1 to 13. Go on?"});
    h.unit->unit().waitIdle(std::chrono::seconds(5));
    EXPECT_TRUE(h.unit->unit().records().empty());
    EXPECT_EQ(menu.OutcomeLabel->text(), "Nothing was sent");
}

TEST_F(ServiceWindows, ProgramSpinIsTheSessionsProgramNumber) {
    menu.NProgramSpin->setValue(7);
    h.settle();
    EXPECT_EQ(h.session().state.ProgramNumber, 7);
    EXPECT_EQ(menu.NProgramSpin->maximum(), 13);
    EXPECT_EQ(menu.NProgramSpin->minimum(), 1);
}

TEST_F(ServiceWindows, RealTimeStaysOffWhileOffline) {
    menu.show();
    QTest::mouseClick(menu.RealTimeB, Qt::LeftButton);
    h.settle();
    EXPECT_TRUE(h.answerer.said("You are Offline, Real Time Mode is not posible"));
    EXPECT_FALSE(menu.RealTimeB->ledOn());
    connectUsb();
    QTest::mouseClick(menu.RealTimeB, Qt::LeftButton);
    h.settle();
    EXPECT_TRUE(menu.RealTimeB->ledOn());
}

TEST_F(ServiceWindows, PasswordDialogTakesOneToSevenPrintableCharactersTwice) {
    PasswordDialog d;
    EXPECT_EQ(d.codeEdit()->echoMode(), QLineEdit::Password);
    EXPECT_FALSE(d.okButton()->isEnabled());
    QTest::keyClicks(d.codeEdit(), "ABCDEFGHI");
    EXPECT_EQ(d.codeEdit()->text(), "ABCDEFG");  // the eighth and ninth are refused
    QTest::keyClicks(d.repeatEdit(), "ABCDEF");
    EXPECT_FALSE(d.okButton()->isEnabled());  // the two differ
    QTest::keyClicks(d.repeatEdit(), "G");
    EXPECT_TRUE(d.okButton()->isEnabled());
    d.codeEdit()->clear();
    d.repeatEdit()->clear();
    QTest::keyClicks(d.codeEdit(), "A");
    QKeyEvent accented(QEvent::KeyPress, 0, Qt::NoModifier, QString::fromUtf8("\xc3\xa9"));  // not ASCII
    QApplication::sendEvent(d.codeEdit(), &accented);
    QTest::keyClicks(d.codeEdit(), "B");
    EXPECT_EQ(d.codeEdit()->text(), "AB");
    QTest::keyClicks(d.repeatEdit(), "AB");
    QTest::mouseClick(d.okButton(), Qt::LeftButton);
    const auto bytes = d.confirmedBytes();
    ASSERT_TRUE(bytes);
    EXPECT_EQ(*bytes, (PasswordBytes{'A', 'B', 0, 0, 0, 0, 0}));
}

TEST_F(ServiceWindows, CancelledPasswordSendsNothing) {
    connectUsb();
    menu.askPassword = [] { return std::optional<PasswordBytes>(); };
    QTest::mouseClick(menu.PasswordB, Qt::LeftButton);
    h.settle();
    h.unit->unit().waitIdle(std::chrono::seconds(5));
    EXPECT_TRUE(h.unit->unit().records().empty());
    EXPECT_TRUE(menu.PasswordB->isEnabled());
}

TEST_F(ServiceWindows, SystemInfoFieldsKeepTheirLimits) {
    EXPECT_EQ(info.SystemName->text(), "NoName");
    info.SystemName->clear();
    QTest::keyClicks(info.SystemName, QString(41, 'N'));
    EXPECT_EQ(info.SystemName->text().size(), 40);
    QTest::keyClicks(info.ProjectName, QString(31, 'P'));
    EXPECT_EQ(info.ProjectName->text().size(), 30);
    QTest::keyClicks(info.EngineerLabel, QString(31, 'E'));
    EXPECT_EQ(info.EngineerLabel->text().size(), 30);
    info.Comments->setPlainText(QString(199, 'c'));
    QTest::keyClicks(info.Comments, "xyz");
    EXPECT_EQ(info.Comments->toPlainText().size(), 200);
    h.settle();
    EXPECT_EQ(h.document.preset().SystemInfo.ProjectName.text(), std::string(30, 'P'));
    EXPECT_EQ(h.document.preset().SystemInfo.Comments.text().size(), 200u);
}

TEST_F(ServiceWindows, PresetNameIsCopiedBothWaysWithoutEcho) {
    QSignalSpy menuChanges(menu.SystemName, &QLineEdit::textChanged);
    QSignalSpy infoChanges(info.SystemName, &QLineEdit::textChanged);
    menu.SystemName->setText("STAGE LEFT");
    EXPECT_EQ(info.SystemName->text(), "STAGE LEFT");
    info.SystemName->setText("STAGE RIGHT");
    EXPECT_EQ(menu.SystemName->text(), "STAGE RIGHT");
    // Each copy changed each edit once: no change bounced back.
    EXPECT_EQ(menuChanges.count(), 2);
    EXPECT_EQ(infoChanges.count(), 2);
    h.settle();
    EXPECT_EQ(h.document.preset().MainSystemName, "STAGE RIGHT");
    EXPECT_EQ(h.document.preset().SystemInfo.SystemName.text(), "STAGE RIGHT");
}

TEST_F(ServiceWindows, NewBringsTheNameAndFieldsBack) {
    menu.SystemName->setText("TOUR");
    info.ProjectName->setText("ARENA");
    h.answerer.answers = {"No"};  // do not save the present configuration
    QTest::mouseClick(menu.NewButton, Qt::LeftButton);
    h.settle();
    EXPECT_TRUE(h.answerer.said("Do you want to save the present configuration?"));
    EXPECT_EQ(menu.SystemName->text(), "NoName");
    EXPECT_EQ(info.SystemName->text(), "NoName");
    EXPECT_TRUE(h.document.preset().SystemInfo.ProjectName.text().empty());
}

TEST_F(ServiceWindows, SaveThenOpenAfterACancelledNewStillOpensTheFile) {
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("vela-menu-" + std::to_string(platform::processId()) + ".hdp");
    menu.chooseSaveFile = [&] { return QString::fromStdString(file.string()); };
    menu.chooseOpenFile = [&] { return QString::fromStdString(file.string()); };
    menu.SystemName->setText("ARENA");
    QTest::mouseClick(menu.SaveButton, Qt::LeftButton);
    h.settle();
    ASSERT_TRUE(std::filesystem::exists(file));
    const QString caption =
        QString("HALDA40 - Digital Audio Controller - KSN : ") + QString::fromStdString(file.filename().string());
    EXPECT_EQ(menu.windowTitle(), caption);

    menu.SystemName->setText("OTHER");
    menu.setWindowTitle("MainMenu");
    h.answerer.answers = {"Cancel"};  // at New's save question: ends only New
    QTest::mouseClick(menu.OpenButton, Qt::LeftButton);
    h.settle();
    h.settle();  // the file is read by an operation queued when New has ended
    EXPECT_EQ(menu.SystemName->text(), "ARENA");
    EXPECT_EQ(info.SystemName->text(), "ARENA");
    EXPECT_EQ(menu.windowTitle(), caption);
    EXPECT_FALSE(h.session().state.NewCancelled);  // Read reads again
    std::filesystem::remove(file);
}

TEST(ServiceOption, ShowsTheProcessorWindowWhoseNameFollowsSystemInfo) {
    for (const bool service : {false, true}) {
        GuiOptions o;
        o.link.sim = true;
        o.service = service;
        Application app(o);
        EXPECT_EQ(app.windows().mainMenu->isVisible(), service);
        EXPECT_FALSE(app.windows().systemInfo->isVisible());
        app.windows().systemInfo->SystemName->setText("FOH");
        EXPECT_EQ(app.windows().mainMenu->SystemName->text(), "FOH");
        // A scan makes the module window's socket on the worker; the application lets it go
        // there when it ends.
        sim::UdpModuleEndpoint module({sim::EthernetModuleSim::parseModuleOption("ID1,M09,FOH")}, 0);
        TEM100Form& ethernet = *app.windows().ethernet;
        ethernet.settings.broadcast = "127.0.0.1";
        ethernet.settings.udpPort = module.port();
        ethernet.settings.scanTime = std::chrono::milliseconds(100);
        ethernet.ScanBClick();
        app.worker().waitIdle(10000);
    }
}

TEST_F(ServiceWindows, AboutSetsItsCaptionAndLabelsOnEveryShow) {
    EXPECT_EQ(about.windowTitle(), "About K-TRM");
    EXPECT_EQ(about.size(), QSize(409, 297));
    EXPECT_EQ(info.size(), QSize(464, 297));
    about.show();
    EXPECT_EQ(about.windowTitle(), "About HALDA40 V 2.0  -  Vela Acoustic Labs");
    EXPECT_EQ(about.VersionLabel->text(), "HALDA40 V 2.0");
    EXPECT_EQ(about.BuildLabel->text(), "Build 1.9.0.0");
    about.hide();
    about.setWindowTitle("something else");
    about.VersionLabel->setText("V 9");
    about.setAccessibleName("something else");
    about.show();
    EXPECT_EQ(about.windowTitle(), "About HALDA40 V 2.0  -  Vela Acoustic Labs");
    EXPECT_EQ(accessibleNameOf(&about), about.windowTitle());
    EXPECT_EQ(about.VersionLabel->text(), "HALDA40 V 2.0");
}

TEST_F(ServiceWindows, AboutAndSystemInfoOpenOneAtATimeAboveTheProcessorWindowAndEscapeClosesThem) {
    menu.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&menu));
    h.windows.about = &about;
    h.windows.systemInfo = &info;
    for (QWidget* shown : {static_cast<QWidget*>(&about), static_cast<QWidget*>(&info)}) {
        SCOPED_TRACE(shown->windowTitle().toStdString());
        QPushButton* opener = shown == &about ? menu.AcercadeButton : menu.SystemInfoB;
        test::click(opener);
        ASSERT_TRUE(QTest::qWaitForWindowActive(shown));
        EXPECT_EQ(QApplication::activeModalWidget(), shown);
        EXPECT_EQ(shown->windowHandle()->transientParent(), menu.windowHandle());
        // The processor window takes no clicks while it is open: the other one stays shut.
        QPushButton* other = shown == &about ? menu.SystemInfoB : menu.AcercadeButton;
        QTest::mouseClick(menu.windowHandle(), Qt::LeftButton, {}, other->mapTo(&menu, other->rect().center()));
        EXPECT_FALSE((shown == &about ? static_cast<QWidget*>(&info) : &about)->isVisible());
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : shown, Qt::Key_Escape);
        EXPECT_FALSE(shown->isVisible());
    }
    h.windows = {};
}

TEST_F(ServiceWindows, AboutAndSystemInfoControlsAreNamed) {
    about.show();
    info.show();
    test::expectNamedControls(&about);
    test::expectNamedControls(&info);
    // The fields first, in reading order, then the close icon.
    const std::vector<QWidget*> order = test::keyboardOrder(&info);
    ASSERT_EQ(order.size(), 5u);
    EXPECT_EQ(order[0], info.SystemName);
    EXPECT_EQ(order[3], info.Comments);
    EXPECT_EQ(accessibleNameOf(order[4]), "Close");
}

TEST_F(ServiceWindows, AboutLinksShowTheHandOnlyWellInside) {
    about.show();
    QTest::mouseMove(about.web, {2, 2});
    EXPECT_EQ(about.web->cursor().shape(), Qt::ArrowCursor);
    QTest::mouseMove(about.web, {20, 10});
    EXPECT_EQ(about.web->cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseMove(about.mail, {4, 4});
    EXPECT_EQ(about.mail->cursor().shape(), Qt::PointingHandCursor);
}

TEST_F(ServiceWindows, EveryControlIsNamedAndReachedInReadingOrder) {
    menu.show();
    connectUsb();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&menu));
    test::expectNamedControls(&menu);
    const std::vector<QWidget*> chain = test::keyboardOrder(&menu);
    const auto at = [&](QWidget* c) { return std::find(chain.begin(), chain.end(), c) - chain.begin(); };
    const std::vector<QWidget*> reading{menu.NewButton, menu.OpenButton, menu.SaveButton, menu.SystemName,
                                        menu.SystemInfoB, menu.NProgramSpin, menu.ReadButton, menu.WriteButton,
                                        menu.ChangeButton, menu.BlockB, menu.UnblockB, menu.PasswordB,
                                        menu.OnlyChangeProgB, menu.UpdateDSP, menu.ResetDSP, menu.ConnectButton,
                                        menu.RealTimeB, menu.AcercadeButton, menu.ResponseButton};
    // The window's own controls first, then its minimise and close icons.
    std::vector<QWidget*> order = reading;
    for (IconButton* icon : menu.findChildren<IconButton*>()) order.push_back(icon);
    ASSERT_EQ(order.size(), reading.size() + 2);
    for (std::size_t i = 0; i < order.size(); ++i) {
        ASSERT_LT(at(order[i]), std::ptrdiff_t(chain.size())) << accessibleNameOf(order[i]).toStdString();
        if (i > 0) {
            EXPECT_LT(at(order[i - 1]), at(order[i])) << accessibleNameOf(order[i]).toStdString();
        }
    }
}

TEST_F(ServiceWindows, ControlsDoNotOverlapOnceAllAreRevealed) {
    menu.show();
    clickProgramLabel(20);
    const QList<QWidget*> controls = menu.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (QWidget* a : controls) {
        EXPECT_TRUE(menu.rect().contains(a->geometry())) << accessibleNameOf(a).toStdString();
        for (QWidget* b : controls)
            if (a != b && !a->isHidden() && !b->isHidden()) {
                EXPECT_FALSE(a->geometry().intersects(b->geometry()))
                    << accessibleNameOf(a).toStdString() << " / " << accessibleNameOf(b).toStdString();
            }
    }
}

TEST_F(ServiceWindows, ResponseDrawsTheSessionsPresetAndFollowsNew) {
    menu.show();
    menu.SystemName->setText("STAGE LEFT");
    auto* button = qobject_cast<QPushButton*>(test::control(&menu, "Response"));
    ASSERT_NE(button, nullptr);
    test::click(button);
    h.settle();
    ResponseWindow& response = menu.responseWindow();
    ASSERT_TRUE(response.isVisible());
    ASSERT_NE(response.preset(), nullptr);
    EXPECT_EQ(response.preset()->MainSystemName, "STAGE LEFT");
    test::expectNamedControls(&response);

    const QImage split = response.grab().toImage();
    QTest::mouseClick(response.CombinedBox, Qt::LeftButton);
    EXPECT_NE(response.grab().toImage(), split);

    // New while the plot is open draws the new preset.
    h.answerer.answers = {"No"};
    QTest::mouseClick(menu.NewButton, Qt::LeftButton);
    h.settle();
    h.settle();  // the copy is taken by an operation queued when New has ended
    EXPECT_EQ(response.preset()->MainSystemName, "NoName");

    QTest::mouseClick(response.CloseButton, Qt::LeftButton);
    EXPECT_FALSE(response.isVisible());
}

}  // namespace
}  // namespace vela::app
