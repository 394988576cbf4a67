#pragma once
// The on-line version check and the updater download: the published version text is
// compared with this program's version and, when it is newer and the user agrees, the
// updater is downloaded into a private temporary directory and started.

#include "core/session_state.h"
#include "core/user_interface.h"
#include "update/http_getter.h"

#include <functional>
#include <string>
#include <string_view>

namespace vela {

// The update server; the setting's default. No server answers at this reserved name: a
// maker's installation sets its own with VELAUPDATE_UPDATE_SERVER or --url.
inline constexpr const char* kDefaultUpdateServer = "http://updates.tessera.example";
inline constexpr const char* kUpdateServerVariable = "VELAUPDATE_UPDATE_SERVER";
inline constexpr const char* kVersionTextPath = "/updates/version.txt";
inline constexpr const char* kUpdaterPath = "/updates/TESSERAUPDATER.EXE";
// Beside the updater, when the server publishes it: the updater's SHA-256 in hex.
inline constexpr const char* kUpdaterDigestPath = "/updates/TESSERAUPDATER.EXE.sha256";
inline constexpr const char* kUpdaterFileName = "TESSERA-Update.exe";

struct UpdateSettings {
    std::string server = kDefaultUpdateServer;
    // A check never holds the program for long when there is no network.
    HttpLimits versionLimits{std::chrono::milliseconds(10000), std::chrono::milliseconds(15000)};
    // A stalled line, or one too slow to bring the updater in reasonable time, ends the download.
    HttpLimits downloadLimits{std::chrono::seconds(15), std::chrono::minutes(10)};
    std::size_t maxVersionText = 65536;

    // The server named by VELAUPDATE_UPDATE_SERVER, else the default.
    static UpdateSettings fromEnvironment();
    // Whether VELAUPDATE_UPDATE_SERVER names a server: without one the window checks nothing.
    static bool serverConfigured();
    // Throws std::invalid_argument unless the server is an http:// or https:// address.
    std::string versionUrl() const;
    std::string updaterUrl() const;
    std::string updaterDigestUrl() const;
};

// Starts the downloaded updater: the front end's way of asking the shell to open it.
class UpdaterLauncher {
public:
    virtual ~UpdaterLauncher() = default;
    virtual bool start(const std::string& program, const std::string& workingDirectory) = 0;
};

enum class CheckOutcome { NotNewer, Newer, Unreachable, BadVersionText };

struct CheckResult {
    CheckOutcome outcome = CheckOutcome::Unreachable;
    std::string versionText;  // the body, trailing white space removed
    std::string error;
};

struct DownloadResult {
    bool ok = false;
    bool cancelled = false;  // the user stopped it; nothing is kept and nothing more is said
    std::string path;       // the complete updater
    std::string directory;  // its private directory, the updater's working directory
    std::string error;
};

class UpdateCheck {
public:
    UpdateCheck(SessionState& state, UserInterface& ui, HttpGetter& http, UpdateSettings settings = {});

    // Fetches the version text and compares it; problems are reported through the ui.
    CheckResult fetchVersion();
    // The version answer: when it is newer, asks; on Yes downloads the updater and, once it is
    // complete, starts it. True when the updater was started (the program should then end).
    bool offerNewerVersion(std::string_view body, UpdaterLauncher& launcher);
    // The updater into a private directory under TempPath, with progress. A failed, truncated
    // or empty download, or one whose SHA-256 differs from the one the server publishes beside
    // it, is reported and removed, never kept. A stop request (the program closing, Ctrl-C)
    // cancels it as the Cancel button does.
    DownloadResult downloadUpdater();
    // Completion: starts the updater from its directory and asks the program to end.
    bool startUpdater(const DownloadResult& download, UpdaterLauncher& launcher);

    bool quitRequested() const { return quitRequested_; }

    // Asked while the download runs; true stops it (the download window's Cancel).
    std::function<bool()> cancelRequested;

private:
    void progress(std::int64_t received, std::int64_t total);
    // Why a download whose SHA-256 is `digest` must not be kept; empty when it may (it matches
    // the published digest, or the server publishes none).
    std::string digestProblem(const std::string& digest);

    SessionState& state_;
    UserInterface& ui_;
    HttpGetter& http_;
    UpdateSettings settings_;
    bool quitRequested_ = false;
};

}  // namespace vela
