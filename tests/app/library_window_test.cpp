// The library window after things go wrong: Update comes back with the next connection
// whenever a library is open, the status lines say when the link is lost, the gauges say
// which step they measure, and a library is built and saved from the window.
#include "app/connect_form.h"
#include "app/gui_harness.h"
#include "app/library_form.h"
#include "app/main_menu.h"
#include "library/library_file.h"
#include "library/model_catalogue.h"
#include "preset/dynamics_procedures.h"
#include "session/operations.h"
#include "session/preset_operations.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include <QRegularExpression>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace vela::test {
namespace {

namespace fs = std::filesystem;

void pressUpdate(GuiHarness& h, const QString& caption) {
    QWidget* update = control(library(h), caption);
    ASSERT_NE(update, nullptr);
    ASSERT_TRUE(update->isVisible() && update->isEnabled());
    click(update);
    ASSERT_TRUE(h.settle(60000));
}

sim::SimOptions unitOfModel(int code, std::vector<sim::SimFault> faults = {}, std::set<int> protectedMemories = {}) {
    sim::SimOptions o;
    o.modelCode = code;
    o.faults = std::move(faults);
    o.protectedMemories = std::move(protectedMemories);
    o.exchangeTimeout = std::chrono::milliseconds(500);
    return o;
}

constexpr const char* kLost = "Status : Offline. The link to the HALDA40 was lost.";

struct FailedRun {
    const char* what;
    sim::SimOptions unit;
};

TEST(UpdateAfterAFailedRun, ComesBackWithTheNextConnectionAndTheStatusSaysTheLinkWasLost) {
    using Kind = sim::SimFault::Kind;
    const FailedRun runs[] = {
        {"a lost link", unitOfModel(2, {{Kind::HangupBlock, 120}})},
        {"a unit gone silent", unitOfModel(2, {{Kind::SilentBlock, 120}})},
    };
    for (const FailedRun& r : runs) {
        SCOPED_TRACE(r.what);
        GuiHarness h(r.unit);
        pressUsb(h, 60000);
        auto* lib = library(h);
        EXPECT_EQ(h.app->windows().mainMenu->InfoLabel->text(), "Status : USB");
        pressUpdate(h, "Update M01");
        EXPECT_TRUE(h.boxes.said("The HALDA40 was closed. You need to Reconnect."));
        EXPECT_FALSE(h.boxes.said("Turn Off and ON the cabinet."));
        EXPECT_EQ(lib->ConnectedL->text(), kLost);
        EXPECT_LE(lib->ConnectedL->fontMetrics().horizontalAdvance(kLost), lib->ConnectedL->width());
        EXPECT_EQ(lib->Info->text(), kLost);
        EXPECT_EQ(h.app->windows().mainMenu->InfoLabel->text(), kLost);
        EXPECT_TRUE(h.app->windows().connect->isVisible());

        pressUsb(h, 60000);
        EXPECT_EQ(lib->ConnectedL->text(), "Status : USB");
        EXPECT_NE(lib->Info->text(), kLost);
        EXPECT_TRUE(lib->SendPanel->isVisible());
        EXPECT_TRUE(lib->Send1->isEnabled());
        EXPECT_EQ(lib->Send1->text(), "Update M01");
    }
}

TEST(UpdateAfterAFailedRun, ALostEthernetLinkLeavesNoConnectedTextBehind) {
    GuiHarness h(unitOfModel(2, {{sim::SimFault::Kind::HangupBlock, 60}}));
    h.app->worker().run([](Session& s) {
        s.link.ethernet.setAddress("127.0.0.1");
        s.state.Link = LinkKind::Ethernet;
        s.state.EthernetActive = true;
        s.ethernetModule.view.statusB = "ETHERNET: Connected with LEFT from vm";
        s.link.EnableUnitCommands();
        openLibraryFile(s, "M01.HLB");
        s.libraryWindow.sendPanelVisible = true;
        s.libraryWindow.visible = true;
    });
    ASSERT_TRUE(h.settle());
    auto* lib = library(h);
    EXPECT_EQ(lib->ConnectedL->text(), "ETHERNET: Connected with LEFT from vm");
    EXPECT_EQ(h.app->windows().mainMenu->InfoLabel->text(), "ETHERNET: Connected with LEFT from vm");
    pressUpdate(h, "Update");
    // The lost link is reported once, by the link, and the run adds no error of its own.
    EXPECT_EQ(h.boxes.texts.filter(QRegularExpression("^ETHERNET error: Opening IP: 127\\.0\\.0\\.1")).size(), 1)
        << h.boxes.texts.join(" | ").toStdString();
    EXPECT_FALSE(h.boxes.said("ETHERNET: Communication Error with HALDA40"));
    EXPECT_EQ(lib->ConnectedL->text(), kLost);
    EXPECT_EQ(lib->Info->text(), kLost);
    EXPECT_EQ(h.app->windows().mainMenu->InfoLabel->text(), kLost);
    EXPECT_TRUE(lib->Send1->isEnabled());
}

TEST(UpdateWithoutALibrary, IsDisabledUntilOneIsOpenAndTheMissingFileIsNamed) {
    // Model code 3 locks the list to "M01 Display", whose library is not installed.
    GuiHarness h(unitOfModel(3));
    pressUsb(h, 60000);
    auto* lib = library(h);
    EXPECT_EQ(lib->ComboBox1->currentText(), "M01 Display");
    EXPECT_FALSE(h.boxes.texts.filter("M01LCD.HLB").isEmpty()) << h.boxes.texts.join(" | ").toStdString();
    EXPECT_TRUE(lib->SendPanel->isVisible());
    EXPECT_FALSE(lib->Send1->isEnabled());
    for (QLineEdit* name : lib->Edit) EXPECT_TRUE(name->text().isEmpty());

    // The run itself, started some other way, asks for a library and leaves Update as it was.
    h.app->worker().run([&h](Session& s) { loadAllMemories(s, h.app->firmware()); });
    ASSERT_TRUE(h.settle());
    EXPECT_TRUE(h.boxes.said("You must open a library before the sending"));
    EXPECT_TRUE(h.memoriesWritten().empty());
    EXPECT_FALSE(lib->Send1->isEnabled());
    EXPECT_EQ(lib->ProgressBar->value(), 0);
    EXPECT_EQ(lib->TotalProgress->value(), 0);

    // Freed with the service code, a model whose library is installed brings Update back.
    h.app->worker().run([](Session& s) {
        enterServiceCode(s, s.libraryForm.ServiceCode);
        chooseModel(s, 0);
    });
    ASSERT_TRUE(h.settle());
    EXPECT_TRUE(lib->Send1->isEnabled());
    EXPECT_EQ(lib->Send1->text(), "Update M01");
}

TEST(ModelList, SaysWhyItIsLocked) {
    GuiHarness locked(unitOfModel(2));
    pressUsb(locked);
    auto* lib = library(locked);
    EXPECT_FALSE(lib->ComboBox1->isEnabled());
    EXPECT_TRUE(lib->LockedL->isVisible());
    EXPECT_EQ(lib->LockedL->text(), "Locked to this cabinet's model");

    GuiHarness free(unitOfModel(1));
    pressUsb(free);
    EXPECT_TRUE(library(free)->ComboBox1->isEnabled());
    EXPECT_FALSE(library(free)->LockedL->isVisible());
}

TEST(RunGauges, NameTheirStepAndShowAPercentage) {
    GuiHarness h(unitOfModel(2));
    pressUsb(h, 60000);
    auto* lib = library(h);
    QStringList steps;
    QObject::connect(&h.app->ui(), &app::QtUserInterface::gaugeChanged, lib, [&](vela::Gauge g, int, int) {
        if (g != vela::Gauge::ProgressBar || !lib->ProgressBar->isVisible()) return;
        const QString text = lib->ProgressBar->text();
        const auto at = text.lastIndexOf("  ");
        if (at <= 0) return;
        const QString step = text.left(at);
        if (steps.isEmpty() || steps.back() != step) steps << step;
    });
    pressUpdate(h, "Update M01");
    EXPECT_EQ(steps, (QStringList{"Memory 1 of 5", "Memory 2 of 5", "Memory 3 of 5", "Memory 4 of 5",
                                  "Memory 5 of 5", "DSP Operating System"}));
    EXPECT_EQ(lib->ProgressBar->text(), "DSP Operating System  100%");
    EXPECT_EQ(lib->TotalProgress->text(), "Total 100%");
}

// Preset files made in the session, one of them with a peak limiter setting of its own.
struct PresetFiles {
    fs::path dir = fs::temp_directory_path() / ("vela-libwin-" + std::to_string(::getpid()) + "-" +
                                                ::testing::UnitTest::GetInstance()->current_test_info()->name());
    PresetFiles() { fs::create_directories(dir); }
    ~PresetFiles() { fs::remove_all(dir); }
    std::vector<std::string> make(GuiHarness& h, int count) {
        std::vector<std::string> files;
        for (int k = 1; k <= count; ++k) files.push_back((dir / ("p" + std::to_string(k) + ".hdp")).string());
        h.app->worker().run([files](Session& s) {
            for (std::size_t k = 0; k < files.size(); ++k) {
                resetPreset(s);
                PresetContext ctx = presetContextOf(s);
                if (k == 0) DynamicsSetThreshold(ctx, DynamicsKind::Peak, 0, -3.0);
                savePresetFile(s, files[k]);
            }
        });
        EXPECT_TRUE(h.settle());
        return files;
    }
};

QStringList qtList(const std::vector<std::string>& files) {
    QStringList list;
    for (const auto& f : files) list << QString::fromStdString(f);
    return list;
}

TEST(LibraryBuildInTheWindow, OneWarningAGaugeAndTheModelChosenForTheCode) {
    GuiHarness h;
    PresetFiles presets;
    const auto files = presets.make(h, 3);
    auto* lib = library(h);
    lib->choosePresetFiles = [&] { return qtList(files); };
    int shownMaximum = 0;
    QObject::connect(&h.app->ui(), &app::QtUserInterface::gaugeChanged, lib, [&](vela::Gauge g, int, int maximum) {
        if (g == vela::Gauge::LibraryBuild && lib->BuildProgress->isVisibleTo(lib)) shownMaximum = maximum;
    });
    h.boxes.texts.clear();
    lib->LoadDirectoryBClick();
    ASSERT_TRUE(h.settle());
    EXPECT_EQ(shownMaximum, 3);
    EXPECT_FALSE(lib->BuildProgress->isVisibleTo(lib));
    ASSERT_EQ(h.boxes.texts.size(), 1);
    EXPECT_TRUE(h.boxes.texts[0].contains(QString::fromStdString(files[0]) + " (output 1)"));
    EXPECT_FALSE(h.boxes.texts[0].contains(QString::fromStdString(files[1])));
    EXPECT_EQ(h.app->worker().session().libraryForm.buffer[0], 3);

    const fs::path out = presets.dir / "built.HLB";
    lib->chooseLibraryModel = [] { return std::optional<int>(2); };  // M02
    lib->chooseLibraryFile = [&] { return QString::fromStdString(out.string()); };
    lib->MakeLibraryBClick();
    ASSERT_TRUE(h.settle());
    LibraryBuffer saved{};
    ASSERT_TRUE(readLibraryFile(out, saved).ok);
    EXPECT_EQ(saved[0], 3);
    EXPECT_EQ(libraryModelCode(saved), ModelCatalogue::modelCode(2));
}

TEST(LibraryBuildInTheWindow, APartialBuildIsNotSaved) {
    GuiHarness h;
    PresetFiles presets;
    auto files = presets.make(h, 2);
    const std::string bad = (presets.dir / "bad.hdp").string();
    std::ofstream(bad) << "not a preset";
    files.insert(files.begin() + 1, bad);
    auto* lib = library(h);
    lib->choosePresetFiles = [&] { return qtList(files); };
    lib->LoadDirectoryBClick();
    ASSERT_TRUE(h.settle());
    bool asked = false;
    lib->chooseLibraryModel = [&] {
        asked = true;
        return std::optional<int>(-1);
    };
    lib->chooseLibraryFile = [&] { return QString::fromStdString((presets.dir / "short.HLB").string()); };
    lib->MakeLibraryBClick();
    ASSERT_TRUE(h.settle());
    EXPECT_FALSE(asked);
    EXPECT_TRUE(h.boxes.said("Only 1 of 3 preset files went in; the library was not saved."));
    EXPECT_FALSE(fs::exists(presets.dir / "short.HLB"));
}

}  // namespace
}  // namespace vela::test
