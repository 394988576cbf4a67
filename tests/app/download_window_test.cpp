// The download progress window against an HTTP server on 127.0.0.1: progress, Cancel, and the
// saved file named at the end.

#include "app/download_window.h"
#include "update/test_http_server.h"
#include "window_harness.h"

#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QDir>
#include <gtest/gtest.h>

#include <filesystem>

namespace vela::app {
namespace {

std::string updaterBytes(std::size_t n) {
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 131) & 0xFF);
    return s;
}

struct DownloadWindow : ::testing::Test {
    test::WindowHarness h;
    test::TestHttpServer server;
    DownloadProgressWindow window{h.context};
    UpdateSettings settings;
    QStringList texts;  // every progress text shown

    void SetUp() override {
        settings.server = server.base();
        server.routes["/updates/version.txt"] = {200, "2.0.0.0"};
        server.routes["/updates/TESSERAUPDATER.EXE"] = {200, updaterBytes(400000)};
        QObject::connect(&h.ui, &QtUserInterface::statusChanged, &window, [this](StatusField f, const QString& text) {
            if (f == StatusField::DownloadInfo) texts << text;
        });
    }
};

TEST_F(DownloadWindow, AFinishedDownloadIsNamedAndTheProgramMayEnd) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows runs the updater (the next test)";
#endif
    EXPECT_EQ(window.size(), QSize(441, 63));
    EXPECT_EQ(window.CancelButton->text(), "Cancel");
    QSignalSpy quit(&window, &DownloadProgressWindow::quitRequested);
    h.answerer.answers = {"Yes", "No"};  // install it; do not open the folder
    window.checkForUpdate(settings);
    h.settle(20000);
    ASSERT_EQ(h.answerer.texts.size(), 2);
    EXPECT_EQ(h.answerer.texts[0], "There is a newer version. Do you wish to install it?");
    const QString named = h.answerer.texts[1];
    ASSERT_TRUE(named.startsWith("The update was downloaded to:\n")) << named.toStdString();
    const std::filesystem::path file = named.section('\n', 1, 1).toStdString();
    EXPECT_EQ(file.filename(), "TESSERA-Update.exe");
    EXPECT_EQ(std::filesystem::file_size(file), 400000u);
    std::filesystem::remove_all(file.parent_path());
    EXPECT_FALSE(texts.isEmpty());
    EXPECT_EQ(texts.back(), "Downloading Update:  0.40Mb  -->  0.40Mb");
    EXPECT_EQ(quit.count(), 1);
    EXPECT_FALSE(window.isVisible());
}

// Windows runs the finished download through the shell: it starts in its own folder and the
// program ends, with nothing more asked.
TEST_F(DownloadWindow, AFinishedDownloadRunsOnWindowsAndTheProgramEnds) {
#ifndef _WIN32
    GTEST_SKIP() << "Linux cannot run the Windows updater: it names the file (the test above)";
#else
    QFile standIn(UPDATER_STAND_IN);
    ASSERT_TRUE(standIn.open(QIODevice::ReadOnly));
    server.routes["/updates/TESSERAUPDATER.EXE"] = {200, standIn.readAll().toStdString()};
    QTemporaryDir temp;
    h.worker->run([path = temp.path().toStdString() + "/"](Session& s) { s.state.TempPath = path; });
    QSignalSpy quit(&window, &DownloadProgressWindow::quitRequested);
    h.answerer.answers = {"Yes"};
    window.checkForUpdate(settings);
    h.settle(20000);
    EXPECT_EQ(h.answerer.texts, QStringList{"There is a newer version. Do you wish to install it?"});
    EXPECT_EQ(quit.count(), 1);
    EXPECT_FALSE(window.isVisible());
    // The stand-in marks the folder it was started in: the download's own.
    const auto started = [&] {
        const QDir tempDir(temp.path());
        for (const QString& folder : tempDir.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
            if (QFile::exists(tempDir.filePath(folder + "/started"))) return true;
        return false;
    };
    EXPECT_TRUE(test::waitFor(started));
    // Once the stand-in has ended, its folder can go.
    test::waitFor([&] { return temp.remove(); });
#endif
}

TEST_F(DownloadWindow, CancelStopsTheDownloadAndKeepsTheProgramRunning) {
    // The server sends part of the file and then stalls, as a slow line would.
    server.routes["/updates/TESSERAUPDATER.EXE"] = {200, updaterBytes(1000), 400000, false, true};
    QSignalSpy quit(&window, &DownloadProgressWindow::quitRequested);
    // The user presses Cancel as soon as the window shows the first progress.
    QObject::connect(&h.ui, &QtUserInterface::statusChanged, &window, [this](StatusField f, const QString&) {
        if (f == StatusField::DownloadInfo && window.isVisible() && window.CancelButton->isEnabled())
            window.CancelButton->click();
    });
    h.answerer.answers = {"Yes"};
    window.checkForUpdate(settings);
    h.settle(20000);
    // Only the question: a cancelled download reports nothing and names no file.
    EXPECT_EQ(h.answerer.texts, QStringList{"There is a newer version. Do you wish to install it?"});
    EXPECT_EQ(quit.count(), 0);
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(window.CancelButton->isEnabled());  // ready for the next download
}

TEST(ClosingTheProgram, DuringADownloadCancelsItDeletesThePartialFileAndEnds) {
    test::TestHttpServer server;
    // About fifty seconds for the whole file; neither limit ends it while the test runs.
    test::TestHttpServer::Response slow{200, updaterBytes(400000)};
    slow.trickle = 400;
    server.routes["/updates/version.txt"] = {200, "2.0.0.0"};
    server.routes["/updates/TESSERAUPDATER.EXE"] = slow;
    UpdateSettings settings;
    settings.server = server.base();
    settings.downloadLimits = {std::chrono::minutes(5), std::chrono::minutes(10)};
    QTemporaryDir temp;
    const QDir tempDir(temp.path());

    auto h = std::make_unique<test::GuiHarness>();
    h->app->worker().run([path = temp.path().toStdString() + "/"](Session& s) { s.state.TempPath = path; });
    QStringList shown;
    QObject witness;
    QObject::connect(&h->app->ui(), &QtUserInterface::messageShown, &witness, [&](const QString& t) { shown << t; });
    h->boxes.answers = {"Yes"};
    DownloadProgressWindow& window = h->app->download();
    window.checkForUpdate(settings);
    ASSERT_TRUE(test::waitFor([&] { return window.isVisible() && window.ProgressBar->value() > 0; }));
    ASSERT_EQ(tempDir.entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), 1);  // the partial download

    // What closing the main window leads to: the application goes, and with it the session.
    h.reset();
    EXPECT_TRUE(tempDir.isEmpty()) << tempDir.entryList().join(' ').toStdString();
    EXPECT_EQ(shown, QStringList{"There is a newer version. Do you wish to install it?"});
}

}  // namespace
}  // namespace vela::app
