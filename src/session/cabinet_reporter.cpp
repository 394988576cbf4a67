#include "session/cabinet_reporter.h"

#include <algorithm>
#include <cstdio>

namespace vela {

CabinetReporter::CabinetReporter(std::string unit, CabinetEventSink& sink, RunLog* log) : sink_(sink), log_(log) {
    progress_.unit = std::move(unit);
}

void CabinetReporter::send(std::string text, MessageKind kind) {
    CabinetEvent e = progress_;
    e.text = std::move(text);
    e.kind = kind;
    sink_.cabinetEvent(e);
}

Answer CabinetReporter::message(MessageKind kind, Buttons buttons, std::string_view text) {
    const Answer answer = safeAnswer(buttons);
    if (log_) log_->message(kind, buttons, text, answer);
    if (kind == MessageKind::Error || kind == MessageKind::Warning || kind == MessageKind::Plain)
        lastProblem_ = std::string(text);
    send(std::string(text), kind);
    return answer;
}

void CabinetReporter::status(StatusField field, std::string_view text) {
    if (log_) log_->status(field, text);
    if (field != StatusField::RunStep) return;
    // The library window's run names its step: "Memory 3 of 13", then "DSP Operating System".
    int n = 0, of = 0;
    const std::string step(text);
    if (std::sscanf(step.c_str(), "Memory %d of %d", &n, &of) == 2) {
        progress_.memory = n;
        progress_.memories = of;
        send();
    } else if (step == "DSP Operating System") {
        phase(CabinetPhase::OperatingSystem);
    }
}

void CabinetReporter::gaugeMoved(Gauge gauge) {
    // While writing the run's gauge tells how far the whole run is; elsewhere the memory's.
    const bool writing =
        progress_.phase == CabinetPhase::Writing || progress_.phase == CabinetPhase::OperatingSystem;
    if (gauge != (writing ? Gauge::TotalProgress : Gauge::ProgressBar)) return;
    const int max = gaugeMaximumOf(gauge);
    const int percent = max > 0 ? std::clamp(gaugePositionOf(gauge) * 100 / max, 0, 100) : 0;
    if (percent == progress_.percent) return;
    progress_.percent = percent;
    send();
}

void CabinetReporter::phase(CabinetPhase phase) {
    if (phase == progress_.phase && phase != CabinetPhase::Connecting) return;
    if (phase != CabinetPhase::OperatingSystem) progress_.memory = progress_.memories = 0;
    progress_.phase = phase;
    progress_.percent = 0;
    if (log_) log_->note("phase", phaseName(phase));
    if (phase != CabinetPhase::Finished) send();
}

void CabinetReporter::finished(const CabinetResult& result) {
    progress_.phase = CabinetPhase::Finished;
    CabinetEvent e = progress_;
    e.result = result;
    sink_.cabinetEvent(e);
}

} // namespace vela
