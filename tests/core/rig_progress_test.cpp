// The rig run's lines at the terminal and without one.
#include "cli/rig_progress.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace vela::cli {
namespace {

struct Screen {
    std::FILE* err = std::tmpfile();
    ~Screen() { std::fclose(err); }
    std::string text() {
        std::fflush(err);
        std::rewind(err);
        std::string out;
        for (int c; (c = std::fgetc(err)) != EOF;) out += static_cast<char>(c);
        return out;
    }
};

CabinetEvent event(const char* unit, CabinetPhase phase, int memory = 0, int percent = 0) {
    CabinetEvent e;
    e.unit = unit;
    e.phase = phase;
    e.memory = memory;
    e.memories = memory ? 13 : 0;
    e.percent = percent;
    return e;
}

TEST(RigProgress, WithoutATerminalALinePerCabinetAndPhaseAndEveryProblemNamesItsCabinet) {
    Screen screen;
    RigProgress p({"CAB1", "CAB10"}, {}, screen.err);
    p.cabinetEvent(event("CAB1", CabinetPhase::Connecting));
    p.cabinetEvent(event("CAB1", CabinetPhase::Writing));
    p.cabinetEvent(event("CAB1", CabinetPhase::Writing, 1, 5));
    p.cabinetEvent(event("CAB1", CabinetPhase::Writing, 2, 12));
    CabinetEvent error = event("CAB10", CabinetPhase::Connecting);
    error.kind = MessageKind::Error;
    error.text = "no answer";
    p.cabinetEvent(error);
    CabinetEvent notice = event("CAB1", CabinetPhase::Writing);
    notice.kind = MessageKind::Information;
    notice.text = "Library M02.HLB";
    p.cabinetEvent(notice);
    p.cabinetEvent(event("CAB9", CabinetPhase::Writing));  // not of this rig
    CabinetResult done;
    done.outcome = OperationResult::Done;
    CabinetEvent last = event("CAB1", CabinetPhase::Finished);
    last.result = done;
    p.cabinetEvent(last);
    EXPECT_EQ(screen.text(), "CAB1: connecting\nCAB1: writing\nCAB10: error: no answer\nCAB1: completed\n");
}

// Each cabinet's result lives on its own thread and is gone once the cabinet has ended; the
// lines drawn afterwards must still say how it ended.
TEST(RigProgress, ARedrawAfterEveryCabinetHasEndedStillShowsHowEachEnded) {
    Screen screen;
    TerminalOptions o;
    o.interactive = true;
    RigProgress p({"A", "B"}, o, screen.err);
    const auto finish = [&](const char* unit, OperationResult outcome) {
        CabinetResult result;
        result.outcome = outcome;
        CabinetEvent last = event(unit, CabinetPhase::Finished);
        last.result = result;
        p.cabinetEvent(last);
    };
    finish("A", OperationResult::Done);
    finish("B", OperationResult::Failed);
    // B's end redraws A's line too, after A's result has gone.
    const std::string text = screen.text();
    EXPECT_EQ(text.substr(text.rfind("\x1b[2A") + 4), "\rA  completed\x1b[K\n\rB  not completed\x1b[K\n");
}

TEST(RigProgress, AtATerminalEveryCabinetKeepsItsOwnLineRedrawnInPlace) {
    Screen screen;
    TerminalOptions o;
    o.interactive = true;
    RigProgress p({"A", "B"}, o, screen.err);
    p.cabinetEvent(event("A", CabinetPhase::Writing, 3, 50));
    p.cabinetEvent(event("B", CabinetPhase::Connecting));
    const std::string text = screen.text();
    const std::string a = "\rA  writing memory 3 of 13 [##########          ] 50%\x1b[K\n";
    const std::string b = "\rB  connecting [                    ] 0%\x1b[K\n";
    EXPECT_EQ(text, a + b + "\x1b[2A" + a + b);
}

TEST(RigProgress, AnInterruptIsAnnouncedOnceForTheWholeRig) {
    Screen screen;
    RigProgress p({"A", "B"}, {}, screen.err);
    StopSource::process().request();
    p.cabinetEvent(event("A", CabinetPhase::Writing));
    p.cabinetEvent(event("B", CabinetPhase::Writing));
    EXPECT_EQ(screen.text(), std::string(kStoppingAfterExchange) + "\nA: writing\nB: writing\n");
}

TEST(RigProgress, MemoryRangesJoinRunsOfMemories) {
    EXPECT_EQ(memoryRanges({}), "");
    EXPECT_EQ(memoryRanges({1, 2, 3, 4}), "1-4");
    EXPECT_EQ(memoryRanges({1, 2, 3, 5, 7, 8}), "1-3, 5, 7-8");
}

} // namespace
} // namespace vela::cli
