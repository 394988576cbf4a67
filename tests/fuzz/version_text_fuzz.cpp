// Fuzzes the published version text through the update check, as the server's body arrives
// in pieces: the first byte sets the piece size.
#include "silent_ui.h"
#include "update/update_check.h"
#include "update/version_check.h"

#include <algorithm>
#include <cstdlib>

using namespace vela;

namespace {

class ReplayGetter : public HttpGetter {
public:
    ReplayGetter(std::span<const char> body, std::size_t piece) : body_(body), piece_(piece) {}
    HttpReply get(const std::string&, const Sink& sink, const Progress&, HttpLimits) override {
        for (std::size_t at = 0; at < body_.size(); at += piece_)
            if (!sink(body_.subspan(at, std::min(piece_, body_.size() - at)))) return {false, 200, -1, "stopped"};
        return {true, 200, static_cast<std::int64_t>(body_.size()), {}};
    }

private:
    std::span<const char> body_;
    std::size_t piece_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::span<const char> body(reinterpret_cast<const char*>(data + 1), size - 1);
    fuzz::SilentUi ui;
    SessionState state;
    ReplayGetter http(body, std::size_t(data[0] % 16) + 1);
    UpdateSettings settings;
    settings.server = "http://127.0.0.1:9";
    UpdateCheck check(state, ui, http, settings);
    const CheckResult r = check.fetchVersion();
    // Either a verdict or a reason: never a silent failure.
    if ((r.outcome == CheckOutcome::BadVersionText || r.outcome == CheckOutcome::Unreachable) && r.error.empty())
        std::abort();
    parseVersionText({body.data(), body.size()});
    return 0;
}
