#pragma once
// Progress of many cabinets in one place. Each cabinet's session gets its own CabinetReporter
// as its user interface: the status texts and gauges the procedures give become events tagged
// with the cabinet (phase, memory n of N, percent), its messages become events too, and
// nothing blocks or asks. Every event goes to one sink, from the thread that loads the cabinet.

#include "core/run_log.h"
#include "core/user_interface.h"
#include "session/cabinet_load.h"

#include <optional>
#include <string>

namespace vela {

struct CabinetEvent {
    std::string unit;  // the cabinet's name, as the rig lists it
    CabinetPhase phase = CabinetPhase::Connecting;
    int memory = 0;    // "memory n of N" while writing; 0 outside
    int memories = 0;
    int percent = 0;   // how far the phase has gone
    // A message the session gave (an error, a warning, a notice); empty for progress alone.
    std::string text;
    MessageKind kind = MessageKind::Plain;
    // Set on the last event of the cabinet, with phase Finished. A copy: sinks keep events
    // after the cabinet's thread, and the result it made, have gone.
    std::optional<CabinetResult> result;
};

// Receives the events of every cabinet; called from several threads at once.
class CabinetEventSink {
public:
    virtual ~CabinetEventSink() = default;
    virtual void cabinetEvent(const CabinetEvent& event) = 0;
};

class CabinetReporter : public GaugeKeeper {
public:
    // `log`, when given, is the cabinet's section of the run's log.
    CabinetReporter(std::string unit, CabinetEventSink& sink, RunLog* log = nullptr);

    // A cabinet's run asks nobody: every question takes the answer that changes nothing.
    Answer message(MessageKind kind, Buttons buttons, std::string_view text) override;
    void status(StatusField field, std::string_view text) override;
    void showTransferWindow() override {}
    void closeTransferWindow() override {}
    void beep() override {}
    void pump() override { stop.checkpoint(*this); }

    // The loadCabinet phase listener.
    void phase(CabinetPhase phase);
    // The last event, with the result.
    void finished(const CabinetResult& result);
    // The last error or warning the cabinet's session gave; empty when none.
    const std::string& lastProblem() const { return lastProblem_; }

protected:
    void gaugeMoved(Gauge gauge) override;

private:
    void send(std::string text = {}, MessageKind kind = MessageKind::Plain);

    CabinetEvent progress_;
    CabinetEventSink& sink_;
    RunLog* log_;
    std::string lastProblem_;
};

} // namespace vela
