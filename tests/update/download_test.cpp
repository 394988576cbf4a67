// The version check and the updater download against an HTTP server the test runs on
// 127.0.0.1; the real update server is never contacted.

#include "support/qt_app.h"
#include "support/scripted_ui.h"
#include "test_http_server.h"
#include "platform/private_download_file.h"
#include "update/qt_http_getter.h"
#include "update/sha256.h"
#include "update/update_check.h"

#include <filesystem>
#include <fstream>
#include <QTimer>
#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>

namespace vela {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class RecordingLauncher : public UpdaterLauncher {
public:
    bool start(const std::string& program, const std::string& dir) override {
        started.emplace_back(program, dir);
        return true;
    }
    std::vector<std::pair<std::string, std::string>> started;
};

std::string updaterBytes(std::size_t n) {
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 7919) & 0xFF);
    return s;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class Update : public ::testing::Test {
protected:
    // Before the fixture's sockets are made: they need the application's event dispatcher.
    static void SetUpTestSuite() { test::ensureQtApplication(); }

    void SetUp() override {
        std::random_device rd;
        temp = fs::temp_directory_path() / ("vela-update-" + std::to_string(rd()) + std::to_string(rd()));
        fs::create_directories(temp);
        state.TempPath = temp.string() + "/";
        settings.server = server.base();
    }
    void TearDown() override { fs::remove_all(temp); }

    UpdateCheck check() { return UpdateCheck(state, ui, http, settings); }
    bool tempIsEmpty() const { return fs::is_empty(temp); }
    std::string lastMessage() const { return ui.messages.empty() ? "" : ui.messages.back().text; }

    test::TestHttpServer server;
    test::ScriptedUi ui;
    QtHttpGetter http;
    SessionState state;
    UpdateSettings settings;
    RecordingLauncher launcher;
    fs::path temp;
};

TEST_F(Update, TheVersionTextDecidesAndProblemsAreReported) {
    server.routes["/updates/version.txt"] = {200, "1.9.0.1\r\n"};
    auto c = check();
    auto r = c.fetchVersion();
    EXPECT_EQ(r.outcome, CheckOutcome::Newer);
    EXPECT_EQ(r.versionText, "1.9.0.1");

    server.routes["/updates/version.txt"] = {200, "1.9.0.0"};
    EXPECT_EQ(c.fetchVersion().outcome, CheckOutcome::NotNewer);
    EXPECT_TRUE(ui.messages.empty());

    server.routes["/updates/version.txt"] = {200, "1.x.0.0"};
    EXPECT_EQ(c.fetchVersion().outcome, CheckOutcome::BadVersionText);
    EXPECT_NE(lastMessage().find("minor field \"x\" is not a whole number"), std::string::npos);

    server.routes.clear();  // 404
    r = c.fetchVersion();
    EXPECT_EQ(r.outcome, CheckOutcome::Unreachable);
    EXPECT_NE(r.error.find("404"), std::string::npos) << r.error;
    EXPECT_EQ(server.requested, std::vector<std::string>(4, "/updates/version.txt"));
}

TEST_F(Update, ASilentOrAbsentServerEndsTheCheck) {
    server.routes["/updates/version.txt"] = {200, "", -1, true};
    settings.versionLimits = {300ms, 1000ms};
    EXPECT_EQ(check().fetchVersion().outcome, CheckOutcome::Unreachable);

    settings.server = test::TestHttpServer::refusedBase();
    const auto r = check().fetchVersion();
    EXPECT_EQ(r.outcome, CheckOutcome::Unreachable);
    EXPECT_EQ(ui.messages.back().kind, MessageKind::Error);
}

TEST_F(Update, NoQuestionUnlessNewerAndNoDownloadOnNo) {
    auto c = check();
    EXPECT_FALSE(c.offerNewerVersion("1.9.0.0", launcher));
    EXPECT_FALSE(c.offerNewerVersion("1.8.5.3", launcher));
    EXPECT_TRUE(ui.messages.empty());

    ui.answers = {Answer::No};
    EXPECT_FALSE(c.offerNewerVersion("2.0.0.0", launcher));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "There is a newer version. Do you wish to install it?");
    EXPECT_EQ(ui.messages[0].buttons, Buttons::YesNo);
    EXPECT_TRUE(server.requested.empty());
    EXPECT_TRUE(launcher.started.empty());
    EXPECT_FALSE(c.quitRequested());
}

TEST_F(Update, ACompleteDownloadIsKeptPrivatelyAndStarted) {
    const std::string body = updaterBytes(300000);
    server.routes["/updates/TESSERAUPDATER.EXE"] = {200, body};
    auto c = check();
    EXPECT_TRUE(c.offerNewerVersion("1.9.0.12345678", launcher));
    EXPECT_TRUE(c.quitRequested());

    ASSERT_EQ(launcher.started.size(), 1u);
    const auto& [program, dir] = launcher.started[0];
    EXPECT_EQ(fs::path(program).filename(), "TESSERA-Update.exe");
    EXPECT_EQ(fs::path(program).parent_path(), fs::path(dir));
    EXPECT_EQ(fs::path(dir).parent_path(), temp);
    EXPECT_EQ(readFile(program), body);
#ifndef _WIN32  // Windows has no mode bits: the folder is private by being in the user's own
    struct stat st {};
    ASSERT_EQ(::stat(dir.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    ASSERT_EQ(::stat(program.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
#endif

    EXPECT_EQ(ui.lastStatus(StatusField::DownloadInfo), "Downloading Update:  0.30Mb  -->  0.30Mb");
    EXPECT_EQ(ui.gaugeMaximumOf(Gauge::ProgressBar), 300000);
    EXPECT_EQ(ui.gaugePositionOf(Gauge::ProgressBar), 300000);
}

TEST_F(Update, ATruncatedRefusedOrEmptyDownloadIsNeverStarted) {
    const std::string body = updaterBytes(300000);
    const std::vector<std::pair<std::string, test::TestHttpServer::Response>> cases = {
        {"truncated", {200, body.substr(0, 1000), 300000, false}},
        {"empty", {200, "", -1, false}},
        {"missing", {404, "no such file", -1, false}},
    };
    for (const auto& [what, response] : cases) {
        server.routes["/updates/TESSERAUPDATER.EXE"] = response;
        ui.messages.clear();
        auto c = check();
        EXPECT_FALSE(c.offerNewerVersion("2.0.0.0", launcher)) << what;
        EXPECT_FALSE(c.quitRequested()) << what;
        EXPECT_TRUE(launcher.started.empty()) << what;
        EXPECT_TRUE(tempIsEmpty()) << what;
        EXPECT_EQ(lastMessage().rfind("The update could not be downloaded: ", 0), 0u) << what << ": " << lastMessage();
    }

    settings.server = test::TestHttpServer::refusedBase();
    auto c = check();
    const auto d = c.downloadUpdater();
    EXPECT_FALSE(d.ok);
    EXPECT_TRUE(tempIsEmpty());
    EXPECT_FALSE(c.startUpdater(d, launcher));
    EXPECT_TRUE(launcher.started.empty());
}

std::string sha256Hex(const std::string& bytes) {
    Sha256 h;
    h.update(std::span(bytes.data(), bytes.size()));
    return h.hexDigest();
}

TEST_F(Update, APublishedDigestVouchesForTheDownloadOrItIsDeleted) {
    const std::string body = updaterBytes(70000);
    server.routes["/updates/TESSERAUPDATER.EXE"] = {200, body};
    std::string upper = sha256Hex(body);
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    // As sha256sum writes it, in either case.
    server.routes["/updates/TESSERAUPDATER.EXE.sha256"] = {200, upper + "  TESSERAUPDATER.EXE\n"};
    auto c = check();
    const auto good = c.downloadUpdater();
    ASSERT_TRUE(good.ok) << good.error;
    EXPECT_EQ(readFile(good.path), body);
    fs::remove_all(good.directory);

    const std::string other = sha256Hex(body + "x");
    const std::vector<std::pair<std::string, test::TestHttpServer::Response>> cases = {
        {"differs from the published " + other, {200, other + "\n"}},
        {"holds no SHA-256", {200, "not a digest\n"}},
        {"could not be checked", {500, "", -1, false}},
    };
    for (const auto& [why, digest] : cases) {
        server.routes["/updates/TESSERAUPDATER.EXE.sha256"] = digest;
        ui.messages.clear();
        auto d = check();
        EXPECT_FALSE(d.offerNewerVersion("2.0.0.0", launcher)) << why;
        EXPECT_TRUE(launcher.started.empty()) << why;
        EXPECT_TRUE(tempIsEmpty()) << why;
        EXPECT_NE(lastMessage().find(why), std::string::npos) << lastMessage();
        EXPECT_NE(lastMessage().find("the download was deleted"), std::string::npos) << lastMessage();
    }
}

TEST_F(Update, ACancelledDownloadKeepsNothingAndSaysNothing) {
    server.routes["/updates/TESSERAUPDATER.EXE"] = {200, updaterBytes(300000)};
    auto c = check();
    c.cancelRequested = [] { return true; };
    const auto d = c.downloadUpdater();
    EXPECT_TRUE(d.cancelled);
    EXPECT_FALSE(d.ok);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(tempIsEmpty());
    EXPECT_FALSE(c.startUpdater(d, launcher));
}

TEST_F(Update, ACancelDuringAStallIsHeard) {
    // Part of the file, then silence: the cancel is heard long before the idle time-out.
    server.routes["/updates/TESSERAUPDATER.EXE"] = {200, updaterBytes(1000), 400000, false, true};
    auto c = check();
    int asked = 0;
    c.cancelRequested = [&] { return ++asked > 1; };
    const auto d = c.downloadUpdater();
    EXPECT_TRUE(d.cancelled);
    EXPECT_TRUE(tempIsEmpty());
}

TEST_F(Update, AStalledOrEndlessDownloadEndsWithItsReason) {
    // Part of the file, then silence.
    server.routes["/updates/TESSERAUPDATER.EXE"] = {200, updaterBytes(1000), 400000, false, true};
    settings.downloadLimits = {300ms, 0ms};
    auto d = check().downloadUpdater();
    EXPECT_FALSE(d.ok);
    EXPECT_FALSE(d.cancelled);
    EXPECT_TRUE(tempIsEmpty());
    EXPECT_NE(lastMessage().find("TESSERAUPDATER.EXE: the server sent nothing for 300 ms"), std::string::npos)
        << lastMessage();

    // Bytes keep coming, too slowly to finish within the overall limit.
    test::TestHttpServer::Response slow{200, updaterBytes(400000)};
    slow.trickle = 100;
    server.routes["/updates/TESSERAUPDATER.EXE"] = slow;
    settings.downloadLimits = {1000ms, 400ms};
    d = check().downloadUpdater();
    EXPECT_FALSE(d.ok);
    EXPECT_TRUE(tempIsEmpty());
    EXPECT_NE(lastMessage().find("TESSERAUPDATER.EXE: it did not finish within 400 ms"), std::string::npos)
        << lastMessage();
}

TEST_F(Update, AStopRequestCancelsTheDownloadAsCancelDoes) {
    // The program closing, or Ctrl-C: the request arrives while a slow line is still sending.
    test::TestHttpServer::Response slow{200, updaterBytes(400000)};
    slow.trickle = 100;
    server.routes["/updates/TESSERAUPDATER.EXE"] = slow;
    QTimer::singleShot(200, [this] { ui.stop.request(); });
    const auto d = check().downloadUpdater();
    EXPECT_TRUE(d.cancelled);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(tempIsEmpty());
}

TEST(PrivateDownloadFile, EachDownloadGetsItsOwnDirectory) {
    const fs::path parent = fs::temp_directory_path();
    std::string error;
    auto a = platform::PrivateDownloadFile::create(parent.string(), "TESSERA-Update.exe", error);
    auto b = platform::PrivateDownloadFile::create(parent.string(), "TESSERA-Update.exe", error);
    ASSERT_TRUE(a && b) << error;
    EXPECT_NE(a->directory(), b->directory());
    ASSERT_TRUE(a->write(std::span<const char>("abc", 3)));
    ASSERT_TRUE(a->keep());
    EXPECT_EQ(readFile(a->path()), "abc");
    const std::string keptDir = a->directory(), droppedDir = b->directory();
    b.reset();  // not kept: removed
    EXPECT_FALSE(fs::exists(droppedDir));
    fs::remove_all(keptDir);

    EXPECT_FALSE(platform::PrivateDownloadFile::create("/nonexistent-dir/", "x", error));
    EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace vela
