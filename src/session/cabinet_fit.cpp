#include "session/cabinet_fit.h"

#include "preset/parameter_table.h"
#include "session/preset_document.h"
#include "tune/driver_file.h"
#include "platform/utf8_paths.h"

#include <cmath>
#include <filesystem>
#include <stdexcept>

namespace vela {
namespace {

// The sum smoothed as the figures take it, level matched to the target as they are.
std::vector<double> levelMatched(const Response& sum, double offsetDb) {
    std::vector<double> db = tune::smoothedDb(sum);
    for (double& v : db) v -= offsetDb;
    return db;
}

FitPreview previewOf(const PresetParameters& before, const tune::FitResult& r,
                     const std::array<DriverResponse, 2>& drivers, const tune::FitOptions& o) {
    PresetParameters after = before;
    tune::applyEdits(after, r.edits);
    const tune::FitGrid grid = tune::fitGrid(o.low, o.high);
    FitPreview v;
    for (std::size_t i = 0; i < grid.hz.size(); ++i)
        if (grid.inRange[i]) v.hz.push_back(grid.hz[i]);
    const auto inside = [&](const std::vector<double>& all) {
        std::vector<double> out;
        for (std::size_t i = 0; i < all.size(); ++i)
            if (grid.inRange[i]) out.push_back(all[i]);
        return out;
    };
    const std::array<const DriverResponse*, 2> d{&drivers[0], &drivers[1]};
    // Without phase the outputs add as powers: what a magnitude-only fit can show of the sum.
    const auto sumOf = [&](const PresetParameters& p) {
        if (!o.magnitudeOnly) return acousticSum(p, d, grid.hz, kSampleRate);
        Response power = measuredOutput(p, 0, drivers[0], grid.hz, kSampleRate);
        const Response second = measuredOutput(p, 1, drivers[1], grid.hz, kSampleRate);
        for (std::size_t i = 0; i < power.size(); ++i)
            power[i] = std::sqrt(std::norm(power[i]) + std::norm(second[i]));
        return power;
    };
    v.magnitudeOnly = o.magnitudeOnly;
    v.before = inside(levelMatched(sumOf(before), r.before.offsetDb));
    v.after = inside(levelMatched(sumOf(after), r.after.offsetDb));
    for (const double hz : v.hz) v.target.push_back(o.target.at(hz));
    return v;
}

} // namespace

std::optional<std::array<DriverResponse, 2>> namedDrivers(const PresetParameters& p, const std::string& presetPath,
                                                          std::string& why) {
    std::array<DriverResponse, 2> drivers;
    for (std::size_t k = 0; k < 2; ++k) {
        const std::string& path = p.Import.path[k];
        if (path.empty()) {
            why = "Output " + std::to_string(k + 1) + " has no measurement: name its file under Inputs and system";
            return std::nullopt;
        }
        std::string error;
        auto d = tune::readDriverFile(path, p.Import.ImportDataType, p.Import.Sensitivity.value(), error);
        if (!d && !presetPath.empty()) {
            // A preset moved with its measurements finds them beside it, as the import does.
            const auto beside =
                platform::pathFromUtf8(presetPath).parent_path() / platform::pathFromUtf8(bareFileName(path));
            std::string second;
            d = tune::readDriverFile(platform::utf8FromPath(beside), p.Import.ImportDataType, p.Import.Sensitivity.value(), second);
        }
        if (!d) {
            why = error;
            return std::nullopt;
        }
        drivers[k] = std::move(d->driver);
    }
    return drivers;
}

void CabinetFit::start(const PresetDocument& document, const std::array<DriverResponse, 2>& drivers,
                       const tune::FitOptions& options, tune::FitProgress progress, std::function<void()> done) {
    stop();
    outcome_ = {};
    outcome_.version = document.version();
    thread_ = std::jthread([this, preset = document.preset(), drivers, options, progress = std::move(progress),
                            done = std::move(done), version = document.version()](std::stop_token token) {
        FitOutcome o;
        o.version = version;
        try {
            tune::FitResult r = tune::fitCabinet(preset, drivers, options, token, progress);
            if (!r.stopped) {
                o.preview = previewOf(preset, r, drivers, options);
                o.result = std::move(r);
            }
        } catch (const std::exception& e) {
            o.error = e.what();
        }
        {
            std::lock_guard lock(mutex_);
            outcome_ = std::move(o);
        }
        if (done) done();
    });
}

void CabinetFit::stop() {
    if (!thread_.joinable()) return;
    thread_.request_stop();
    thread_.join();
    std::lock_guard lock(mutex_);
    outcome_.result.reset();
}

FitOutcome CabinetFit::take() {
    if (thread_.joinable()) thread_.join();
    std::lock_guard lock(mutex_);
    return std::move(outcome_);
}

std::optional<std::string> applyFit(PresetDocument& document, const FitOutcome& outcome) {
    if (!outcome.result) return "There is no fit to apply";
    if (document.version() != outcome.version)
        return "The preset changed while the fit ran: nothing was applied. Run the fit again";
    const std::string merge = "fit " + std::to_string(outcome.version);
    try {
        for (const tune::Edit& e : outcome.result->edits) {
            const Parameter* p = findParameter(e.key);
            if (!p) throw std::invalid_argument("no parameter is named " + e.key);
            document.set(*p, e.value, merge);
        }
    } catch (const std::invalid_argument& e) {
        // What was set of the fit is taken back whole.
        if (document.version() != outcome.version) document.undo();
        document.endMerge();
        return std::string("The fit could not be applied: ") + e.what();
    }
    document.endMerge();
    return std::nullopt;
}

} // namespace vela
