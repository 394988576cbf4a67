// The SHA-256 that vouches for a download, the setting that switches the start-up check off,
// and the start-up check itself on its own thread against a server on 127.0.0.1.

#include "support/qt_app.h"
#include "test_http_server.h"
#include "update/qt_settings_store.h"
#include "update/sha256.h"
#include "update/startup_update_check.h"

#include <QByteArray>
#include <QEventLoop>
#include <QTimer>

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>

namespace vela {
namespace {

using namespace std::chrono_literals;

std::string sha256Of(const std::string& text, std::size_t piece) {
    Sha256 h;
    for (std::size_t at = 0; at < text.size(); at += piece)
        h.update(std::span(text.data() + at, std::min(piece, text.size() - at)));
    return h.hexDigest();
}

TEST(Sha256, KnownDigestsWhateverThePieces) {
    EXPECT_EQ(sha256Of("", 1), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(sha256Of("abc", 1), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    // 56 bytes: the length no longer fits the first block.
    const std::string two = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
    for (std::size_t piece : {1u, 7u, 64u})
        EXPECT_EQ(sha256Of(two, piece), "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1") << piece;
    EXPECT_EQ(sha256Of(std::string(1000000, 'a'), 4093),
              "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

class MemoryStore : public SettingsStore {
public:
    std::map<std::string, std::string> values;
    std::optional<std::string> value(const std::string& key) const override {
        const auto it = values.find(key);
        return it == values.end() ? std::nullopt : std::optional(it->second);
    }
    void setValue(const std::string& key, const std::string& v) override { values[key] = v; }
};

// Sets an environment variable for one test.
struct ScopedEnv {
    std::string name;
    ScopedEnv(std::string n, const char* value) : name(std::move(n)) {
        if (value)
            qputenv(name.c_str(), value);
        else
            qunsetenv(name.c_str());
    }
    ~ScopedEnv() { qunsetenv(name.c_str()); }
};

TEST(UpdatePreferences, OnUntilTheSettingOrTheEnvironmentSwitchesItOff) {
    MemoryStore store;
    UpdatePreferences prefs(store);
    ScopedEnv none(kNoUpdateCheckVariable, nullptr);
    EXPECT_TRUE(prefs.automaticCheck());
    prefs.setCheckAtStart(false);
    EXPECT_FALSE(prefs.automaticCheck());
    prefs.setCheckAtStart(true);
    {
        ScopedEnv off(kNoUpdateCheckVariable, "1");
        EXPECT_FALSE(prefs.automaticCheck());
        EXPECT_TRUE(prefs.checkAtStart());
    }
    ScopedEnv zero(kNoUpdateCheckVariable, "0");
    EXPECT_TRUE(prefs.automaticCheck());
}

TEST(UpdatePreferences, TheSettingOutlivesTheStore) {
    const auto file = std::filesystem::temp_directory_path() / ("vela-prefs-" + std::to_string(::getpid()) + ".ini");
    {
        QtSettingsStore store(file.string());
        UpdatePreferences(store).setCheckAtStart(false);
        ASSERT_TRUE(store.sync());
    }
    QtSettingsStore again(file.string());
    EXPECT_FALSE(UpdatePreferences(again).checkAtStart());
    std::filesystem::remove(file);
}

class StartupCheck : public ::testing::Test {
protected:
    static void SetUpTestSuite() { test::ensureQtApplication(); }

    // Runs the event loop until the result came, for at most a few seconds.
    std::optional<CheckResult> waitForResult() {
        QEventLoop loop;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
            if (result) loop.quit();
        });
        poll.start(10);
        QTimer::singleShot(5000, &loop, &QEventLoop::quit);
        loop.exec();
        return result;
    }

    bool start(UpdatePreferences& prefs) {
        UpdateSettings settings;
        settings.server = server.base();
        settings.versionLimits = {1000ms, 2000ms};
        return StartupUpdateCheck::start(prefs, settings, &context, [this](const CheckResult& r) { result = r; });
    }

    test::TestHttpServer server;
    MemoryStore store;
    QObject context;
    std::optional<CheckResult> result;
};

TEST_F(StartupCheck, RunsBesideTheWindowAndHandsBackTheResult) {
    ScopedEnv none(kNoUpdateCheckVariable, nullptr);
    server.routes["/updates/version.txt"] = {200, "2.0.0.0\n"};
    UpdatePreferences prefs(store);
    ASSERT_TRUE(start(prefs));
    // The result comes through the window's event loop, never before start returns.
    EXPECT_FALSE(result);
    const auto r = waitForResult();
    ASSERT_TRUE(r);
    EXPECT_EQ(r->outcome, CheckOutcome::Newer);
    EXPECT_EQ(r->versionText, "2.0.0.0");
}

TEST_F(StartupCheck, AnAbsentServerIsAResultNotADialog) {
    ScopedEnv none(kNoUpdateCheckVariable, nullptr);
    UpdatePreferences prefs(store);
    UpdateSettings settings;
    settings.server = test::TestHttpServer::refusedBase();
    ASSERT_TRUE(StartupUpdateCheck::start(prefs, settings, &context, [this](const CheckResult& r) { result = r; }));
    const auto r = waitForResult();
    ASSERT_TRUE(r);
    EXPECT_EQ(r->outcome, CheckOutcome::Unreachable);
    EXPECT_FALSE(r->error.empty());
}

TEST_F(StartupCheck, SwitchedOffAsksNothing) {
    UpdatePreferences prefs(store);
    {
        ScopedEnv off(kNoUpdateCheckVariable, "1");
        EXPECT_FALSE(start(prefs));
    }
    prefs.setCheckAtStart(false);
    EXPECT_FALSE(start(prefs));
    QEventLoop loop;
    QTimer::singleShot(100, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_TRUE(server.requested.empty());
    EXPECT_FALSE(result);
}

}  // namespace
}  // namespace vela
