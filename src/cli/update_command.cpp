// velaupdate check-update: the on-line version check and, on request, the updater download.

#include "cli/commands.h"
#include "core/exit_codes.h"
#include "cli/json.h"
#include "platform/folders.h"
#include "update/qt_http_getter.h"
#include "update/qt_settings_store.h"
#include "update/update_check.h"

#include <stdexcept>

namespace vela::cli {
namespace {

// The window's start-up check: switched on or off, or shown; no request is made.
int atStart(Context& ctx, const std::string& choice) {
    QtSettingsStore store;
    UpdatePreferences preferences(store);
    if (choice == "on" || choice == "off") {
        preferences.setCheckAtStart(choice == "on");
        if (!store.sync()) {
            ctx.ui.error("The setting could not be saved in " + store.fileName());
            return kExitBadInput;
        }
    } else if (choice != "show") {
        throw std::invalid_argument("--at-start: on, off or show");
    }
    std::string text = std::string("Check for updates when the window opens: ") + (preferences.checkAtStart() ? "on" : "off");
    if (UpdatePreferences::switchedOffByEnvironment()) text += std::string(" (switched off by ") + kNoUpdateCheckVariable + ")";
    if (!UpdateSettings::serverConfigured())
        text += std::string("; no update server is set (") + kUpdateServerVariable + "), so nothing is checked";
    ctx.out.print("%s\n", text.c_str());
    return kExitOk;
}

}  // namespace

int runCheckUpdate(Context& ctx) {
    if (const auto choice = ctx.args.value("at-start")) return atStart(ctx, *choice);
    UpdateSettings settings = UpdateSettings::fromEnvironment();
    if (const auto url = ctx.args.value("url")) settings.server = *url;
    settings.versionUrl();  // a malformed server address is a usage error, before any request

    SessionState state;
    state.TempPath = platform::temporaryFolder();
    QtHttpGetter http;
    UpdateCheck check(state, ctx.ui, http, settings);
    const CheckResult r = check.fetchVersion();
    if (r.outcome == CheckOutcome::Unreachable || r.outcome == CheckOutcome::BadVersionText) return kExitLinkFailed;

    const bool newer = r.outcome == CheckOutcome::Newer;
    DownloadResult download;
    int code = kExitOk;
    if (newer && ctx.args.flag("download")) {
        if (ctx.ui.message(MessageKind::Information, Buttons::YesNo,
                           "There is a newer version. Do you wish to install it?") != Answer::Yes) {
            code = kExitDeclined;
        } else {
            download = check.downloadUpdater();
            if (download.cancelled) ctx.ui.warning("The download was stopped; nothing was kept.");
            if (!download.ok) code = kExitLinkFailed;
        }
    }
    ctx.ui.finishProgress();
    if (ctx.args.flag("json")) {
        JsonWriter j(ctx.out);
        j.beginObject();
        j.field("version", "1.9.0.0");
        j.field("published", r.versionText);
        j.field("newer", newer);
        if (download.ok) j.field("saved", download.path);
        j.endObject();
        j.finish();
    } else {
        if (newer)
            ctx.out.print("A newer version is published: %s (this is 1.9.0.0)\n", r.versionText.c_str());
        else
            ctx.out.print("Up to date: the published version is %s (this is 1.9.0.0)\n", r.versionText.c_str());
        if (download.ok) ctx.out.print("Saved the updater to %s\n", download.path.c_str());
    }
    return code;
}

}  // namespace vela::cli
