#include "session/rig_load.h"

#include <algorithm>
#include <atomic>
#include <thread>

namespace vela {
namespace {

RigCabinetResult loadOne(const RigRequest& rig, const CabinetToLoad& cabinet, const FirmwareChoice& firmware,
                         CabinetEventSink& sink) {
    RunLog section;
    if (rig.log && rig.log->isOpen()) section = rig.log->section(cabinet.name);
    CabinetReporter reporter(cabinet.name, sink, section.isOpen() ? &section : nullptr);
    const StopRequest::Listening listening(reporter.stop);
    RigCabinetResult out{cabinet.name, {}, {}};
    CabinetRequest request = rig.each;
    request.connect = cabinet.link;
    request.cabinet = cabinet.name;
    if (cabinet.library.kind != LibraryRequest::Kind::Open) request.library = cabinet.library;
    reporter.phase(CabinetPhase::Connecting);
    if (auto session = rig.openSession(reporter, cabinet)) {
        out.result = loadCabinet(*session, request, firmware, [&](CabinetPhase p) { reporter.phase(p); });
    } else {
        out.result.reason = "no session could be made for this cabinet";
    }
    if (!out.result.reason.empty() && reporter.lastProblem().empty()) out.problem = out.result.reason;
    else out.problem = reporter.lastProblem();
    if (section.isOpen()) section.note("outcome", out.result.complete() ? "completed" : "not completed: " + out.problem);
    reporter.finished(out.result);
    return out;
}

} // namespace

std::vector<RigCabinetResult> loadRig(const RigRequest& rig, const FirmwareChoice& firmware,
                                      CabinetEventSink& sink) {
    const std::size_t count = rig.cabinets.size();
    std::vector<RigCabinetResult> results(count);
    const std::size_t jobs =
        rig.jobs > 0 ? std::min(count, static_cast<std::size_t>(rig.jobs)) : count;
    std::atomic<std::size_t> next{0};
    // Once the user asked to stop, the cabinets not yet begun are left alone.
    const StopRequest stop;
    {
        std::vector<std::jthread> workers;
        for (std::size_t w = 0; w < jobs; ++w)
            workers.emplace_back([&] {
                for (std::size_t i; (i = next.fetch_add(1)) < count;) {
                    if (!stop.requested()) {
                        results[i] = loadOne(rig, rig.cabinets[i], firmware, sink);
                        continue;
                    }
                    results[i].name = rig.cabinets[i].name;
                    results[i].result.outcome = OperationResult::Stopped;
                    results[i].problem = "not begun: the run was stopped";
                }
            });
    }
    return results;
}

} // namespace vela
