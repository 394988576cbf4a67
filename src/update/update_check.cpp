#include "update/update_check.h"

#include "update/download_progress.h"
#include "platform/private_download_file.h"
#include "update/sha256.h"
#include "update/version_check.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdlib>
#include <optional>
#include <stdexcept>

namespace vela {
namespace {

std::string join(std::string server, const char* path) {
    if (server.rfind("http://", 0) != 0 && server.rfind("https://", 0) != 0)
        throw std::invalid_argument("the update server must be an http:// or https:// address: " + server);
    while (!server.empty() && server.back() == '/') server.pop_back();
    return server + path;
}

}  // namespace

UpdateSettings UpdateSettings::fromEnvironment() {
    UpdateSettings s;
    if (serverConfigured()) s.server = std::getenv(kUpdateServerVariable);
    return s;
}

bool UpdateSettings::serverConfigured() {
    const char* v = std::getenv(kUpdateServerVariable);
    return v && *v;
}

std::string UpdateSettings::versionUrl() const { return join(server, kVersionTextPath); }
std::string UpdateSettings::updaterUrl() const { return join(server, kUpdaterPath); }
std::string UpdateSettings::updaterDigestUrl() const { return join(server, kUpdaterDigestPath); }

UpdateCheck::UpdateCheck(SessionState& state, UserInterface& ui, HttpGetter& http, UpdateSettings settings)
    : state_(state), ui_(ui), http_(http), settings_(std::move(settings)) {}

CheckResult UpdateCheck::fetchVersion() {
    CheckResult result;
    std::string body;
    const auto reply = http_.get(
        settings_.versionUrl(),
        [&](std::span<const char> bytes) {
            if (body.size() + bytes.size() > settings_.maxVersionText) return false;
            body.append(bytes.begin(), bytes.end());
            return true;
        },
        {}, settings_.versionLimits);
    if (!reply.ok) {
        result.error = "The update server could not be reached (" + settings_.versionUrl() + "): " + reply.error;
        ui_.error(result.error);
        return result;
    }
    result.versionText = std::string(trimTrailingSpace(body));
    const VersionVerdict verdict = compareWithOwnVersion(body);
    if (!verdict.valid()) {
        result.outcome = CheckOutcome::BadVersionText;
        result.error = verdict.error;
        ui_.error(result.error);
        return result;
    }
    result.outcome = verdict.newer ? CheckOutcome::Newer : CheckOutcome::NotNewer;
    return result;
}

bool UpdateCheck::offerNewerVersion(std::string_view body, UpdaterLauncher& launcher) {
    const VersionVerdict verdict = compareWithOwnVersion(body);
    if (!verdict.valid()) {
        ui_.error(verdict.error);
        return false;
    }
    if (!verdict.newer) return false;
    if (ui_.message(MessageKind::Information, Buttons::YesNo, "There is a newer version. Do you wish to install it?") !=
        Answer::Yes)
        return false;
    const DownloadResult download = downloadUpdater();
    return download.ok && startUpdater(download, launcher);
}

void UpdateCheck::progress(std::int64_t received, std::int64_t total) {
    if (total < received) total = received;  // size not announced
    ui_.status(StatusField::DownloadInfo, downloadProgressText(received, total));
    // The gauge counts in ints: scale very large files down.
    const std::int64_t scale = total / INT_MAX + 1;
    ui_.gaugeMaximum(Gauge::ProgressBar, static_cast<int>(total / scale));
    ui_.gaugePosition(Gauge::ProgressBar, static_cast<int>(received / scale));
}

DownloadResult UpdateCheck::downloadUpdater() {
    const StopRequest::Listening listening(ui_.stop);
    const auto cancelled = [this] { return ui_.stop.requested() || (cancelRequested && cancelRequested()); };
    DownloadResult result;
    std::string error;
    auto file = platform::PrivateDownloadFile::create(state_.TempPath, kUpdaterFileName, error);
    if (file) {
        const std::string url = settings_.updaterUrl();
        Sha256 hash;
        const auto reply = http_.get(
            url,
            [&](std::span<const char> bytes) {
                hash.update(bytes);
                return file->write(bytes);
            },
            // No pump here: the getter runs its own event loop, and a stop must not be thrown
            // out of it.
            [&](std::int64_t received, std::int64_t total) {
                progress(received, total);
                return !cancelled();
            },
            settings_.downloadLimits);
        if (!reply.ok && cancelled()) {
            file->discard();
            result.cancelled = true;
            return result;
        }
        if (!reply.ok)
            error = reply.error;
        else if (reply.contentLength >= 0 && file->size() != reply.contentLength)
            error = "the download ended after " + std::to_string(file->size()) + " of " +
                    std::to_string(reply.contentLength) + " bytes";
        else if (file->size() == 0)
            error = "the server sent an empty file";
        else if (const std::string problem = digestProblem(hash.hexDigest()); !problem.empty())
            error = problem;
        else if (!file->keep())
            error = "the file could not be written";
        if (error.empty()) {
            result.ok = true;
            result.path = file->path();
            result.directory = file->directory();
            return result;
        }
        file->discard();
        error = url + ": " + error;
    }
    result.error = "The update could not be downloaded: " + error;
    ui_.error(result.error);
    return result;
}

namespace {

// The first word of a digest file ("HEX" or "HEX  NAME", as sha256sum writes it), when it is
// 64 hex digits; lower case.
std::optional<std::string> publishedDigest(const std::string& body) {
    const auto start = body.find_first_not_of(" \t\r\n");
    if (start == std::string::npos) return std::nullopt;
    std::string word = body.substr(start, body.find_first_of(" \t\r\n", start) - start);
    if (word.size() != 64) return std::nullopt;
    for (char& c : word) {
        if (!std::isxdigit(static_cast<unsigned char>(c))) return std::nullopt;
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return word;
}

}  // namespace

std::string UpdateCheck::digestProblem(const std::string& digest) {
    const std::string url = settings_.updaterDigestUrl();
    std::string body;
    const auto reply = http_.get(
        url,
        [&](std::span<const char> bytes) {
            if (body.size() + bytes.size() > settings_.maxVersionText) return false;
            body.append(bytes.begin(), bytes.end());
            return true;
        },
        {}, settings_.versionLimits);
    // Not published: nothing to compare with.
    if (!reply.ok && (reply.status == 404 || reply.status == 410)) return {};
    // Published but unreadable: the download cannot be vouched for.
    if (!reply.ok) return "its SHA-256 could not be checked (" + url + ": " + reply.error + "); the download was deleted";
    const auto expected = publishedDigest(body);
    if (!expected) return "its SHA-256 could not be checked: " + url + " holds no SHA-256; the download was deleted";
    if (*expected != digest)
        return "its SHA-256 " + digest + " differs from the published " + *expected + "; the download was deleted";
    return {};
}

bool UpdateCheck::startUpdater(const DownloadResult& download, UpdaterLauncher& launcher) {
    if (!download.ok) return false;
    if (!launcher.start(download.path, download.directory)) {
        ui_.error("The updater could not be started: " + download.path);
        return false;
    }
    // The main window closes: the program ends once this handler returns.
    quitRequested_ = true;
    return true;
}

}  // namespace vela
