#pragma once
// The designer's fit of the cabinet to its measured drivers: the drivers read from the files
// the preset's import names, the fit on a thread of its own that a stop ends, and its edits
// put into the document as one undo step, refused when the preset changed since the fit began.

#include "tune/fitter.h"

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

namespace vela {

class PresetDocument;

// The drivers of outputs 1 and 2 from the files the preset's import names, in its format; a
// file not found where named is looked for beside the preset file `presetPath`. Nothing, with
// `why` saying so, when one cannot serve.
std::optional<std::array<DriverResponse, 2>> namedDrivers(const PresetParameters& p, const std::string& presetPath,
                                                          std::string& why);

// The sum as the preview draws it: 1/6-octave smoothed over the fit's range, before and after,
// each level matched to the target.
struct FitPreview {
    std::vector<double> hz, before, after, target;
    bool magnitudeOnly = false; // the outputs summed as powers, their phase unknown
};

struct FitOutcome {
    std::optional<tune::FitResult> result; // none when stopped or refused
    std::string error;                      // the refusal's reason
    FitPreview preview;
    std::uint64_t version = 0; // the document's version the fit started from
};

class CabinetFit {
public:
    CabinetFit() = default;
    CabinetFit(const CabinetFit&) = delete;
    CabinetFit& operator=(const CabinetFit&) = delete;
    ~CabinetFit() { stop(); }

    // Fits the document's preset as it stands. `progress` and `done` run on the fit's thread;
    // after `done`, take() gives the outcome.
    void start(const PresetDocument& document, const std::array<DriverResponse, 2>& drivers,
               const tune::FitOptions& options, tune::FitProgress progress, std::function<void()> done);
    // Ends the fit and waits for its thread; its outcome then holds no result.
    void stop();
    bool running() const { return thread_.joinable(); }
    // The outcome of the fit that ended; its thread is joined.
    FitOutcome take();

private:
    std::jthread thread_;
    std::mutex mutex_;
    FitOutcome outcome_;
};

// Puts the fit's edits into the document through the procedures as one undo step (in
// real-time mode the unit hears each). Nothing, or why it was refused with nothing changed.
std::optional<std::string> applyFit(PresetDocument& document, const FitOutcome& outcome);

} // namespace vela
