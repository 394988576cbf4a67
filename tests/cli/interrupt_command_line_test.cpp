// Ctrl-C, SIGTERM and a closed terminal during the runs that talk to the unit, sent as real
// signals to the built program while it works against "velaupdate sim" on a pseudo-terminal
// (Linux only: signals and pseudo-terminals).
// The simulated unit takes each byte's wire time, so that a signal lands in the middle.

#include "support/running_command.h"
#include "support/velaupdate_process.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <thread>

namespace {

using vela::test::has;
using vela::test::Outcome;
using vela::test::run;
using vela::test::RunningCommand;
using vela::test::SimProcess;

// Slower units leave more time between two signals that must land in one exchange.
struct SlowUnit {
    explicit SlowUnit(int baud = 57600) : sim("--pty --baud " + std::to_string(baud) + " --trace " + trace) {}
    ~SlowUnit() { std::remove(trace.c_str()); }
    std::string trace = ::testing::TempDir() + "vela-stop-trace-" + std::to_string(::getpid()) + ".jsonl";
    SimProcess sim;
    std::string usb = "--usb=" + sim.line().substr(4);

    // After a stop at once the unit is left in the middle of an exchange; it gives it up when
    // the PC lets go of the line (or falls silent), and only then is it ready for the next.
    bool gaveUpAnExchange() const {
        for (int i = 0; i < 100; ++i) {
            std::ifstream in(trace);
            const std::string records((std::istreambuf_iterator<char>(in)), {});
            if (records.find("\"outcome\":\"abandoned\"") != std::string::npos) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }
    void expectAnswers() const {
        const Outcome probe = run(usb + " probe");
        EXPECT_EQ(probe.code, 0) << probe.out;
    }
    std::string nameOf(int memory) const {
        const Outcome r = run(usb + " read " + std::to_string(memory) + " --json --quiet", false);
        const auto at = r.out.find("\"name\":\"");
        return at == std::string::npos ? r.out : r.out.substr(at + 8, r.out.find('"', at + 8) - at - 8);
    }
};

std::string imageFile() {
    const std::string path = ::testing::TempDir() + "vela-stop-image-" + std::to_string(::getpid()) + ".bin";
    std::string bytes(3570, '\0');
    bytes[0] = 0x0D;
    bytes[1] = static_cast<char>(0xF0);
    bytes.replace(12, 6, "Copied");
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

TEST(InterruptedLoadAll, FirstInterruptFinishesTheMemoryAndSaysWhatWasWritten) {
    SlowUnit unit;
    RunningCommand load(unit.usb + " load-all --model M01 --force");
    ASSERT_TRUE(load.waitFor("Sending DATA... to Memory 2")) << load.output();
    load.signal(SIGINT);
    const Outcome r = load.finish();
    EXPECT_EQ(r.code, 1) << r.out;
    EXPECT_TRUE(has(r, "Stopping after the exchange in progress")) << r.out;
    EXPECT_TRUE(has(r, "The update was stopped. Memories written: 1, 2; memories 3 to 5 keep their old programs; the "
                       "DSP Operating System was not updated."))
        << r.out;
    EXPECT_FALSE(has(r, "Turn Off and ON the cabinet."));
    EXPECT_FALSE(has(r, "DSP Program"));
    EXPECT_EQ(unit.nameOf(2), "Live");
    EXPECT_EQ(unit.nameOf(3), "MEMORY 3");
}

TEST(InterruptedLoadAll, SecondSignalStopsAtOnceAndTheNextCommandStillWorks) {
    SlowUnit unit(19200);
    RunningCommand load(unit.usb + " load-all --model M01 --force");
    ASSERT_TRUE(load.waitFor("Sending DATA... to Memory 2")) << load.output();
    load.signal(SIGTERM);
    ASSERT_TRUE(load.waitFor("Stopping after the exchange in progress"));
    load.signal(SIGTERM);
    const Outcome r = load.finish();
    EXPECT_EQ(r.code, 1) << r.out;
    EXPECT_TRUE(has(r, "The update was stopped. Memories written: 1; memories 2 to 5 keep their old programs")) << r.out;
    EXPECT_TRUE(unit.gaveUpAnExchange());
    unit.expectAnswers();
    EXPECT_EQ(unit.nameOf(2), "MEMORY 2");
}

TEST(InterruptedUpdateDsp, FirstSignalOnlyWarnsASecondCutsItShort) {
    SlowUnit unit(28800);
    {
        RunningCommand update(unit.usb + " update-dsp --yes --force");
        ASSERT_TRUE(update.waitFor("Sending DATA... DSP Program")) << update.output();
        update.signal(SIGHUP);
        const Outcome r = update.finish();
        EXPECT_EQ(r.code, 0) << r.out;
        EXPECT_TRUE(has(r, "Stopping now can leave the HALDA40 blocked")) << r.out;
        EXPECT_FALSE(has(r, "Stopping after the exchange in progress")) << r.out;
    }
    RunningCommand update(unit.usb + " update-dsp --yes --force");
    ASSERT_TRUE(update.waitFor("Sending DATA... DSP Program")) << update.output();
    update.signal(SIGINT);
    ASSERT_TRUE(update.waitFor("Stopping now can leave the HALDA40 blocked"));
    update.signal(SIGINT);
    const Outcome r = update.finish();
    EXPECT_EQ(r.code, 1) << r.out;
    EXPECT_TRUE(has(r, "the DSP Operating System transfer was cut short: the HALDA40 may stay blocked")) << r.out;
    EXPECT_TRUE(unit.gaveUpAnExchange());
    unit.expectAnswers();
}

TEST(InterruptedUnitCommands, CopyAllWriteAndReadSayWhatTheyDid) {
    SlowUnit unit(28800);
    const std::string image = imageFile();
    {
        RunningCommand copy(unit.usb + " copy-all --image " + image);
        ASSERT_TRUE(copy.waitFor("Sending DATA... to Memory 2")) << copy.output();
        copy.signal(SIGINT);
        const Outcome r = copy.finish();
        EXPECT_EQ(r.code, 1) << r.out;
        EXPECT_TRUE(has(r, "Copy to all memories was stopped. Memories written: 1, 2; memories 3 to 13 keep their old "
                           "programs."))
            << r.out;
    }
    {
        RunningCommand write(unit.usb + " write 5 --image " + image + " --yes");
        ASSERT_TRUE(write.waitFor("Sending DATA... to Memory 5")) << write.output();
        write.signal(SIGINT);
        const Outcome r = write.finish();
        EXPECT_EQ(r.code, 1) << r.out;
        EXPECT_TRUE(has(r, "The write was stopped: memory 5 was written but not made current.")) << r.out;
    }
    RunningCommand read(unit.usb + " read 5");
    ASSERT_TRUE(read.waitFor("Reading Configuration 5")) << read.output();
    read.signal(SIGINT);
    ASSERT_TRUE(read.waitFor("Stopping after the exchange in progress"));
    read.signal(SIGINT);
    const Outcome r = read.finish();
    EXPECT_EQ(r.code, 1) << r.out;
    EXPECT_TRUE(has(r, "The read was stopped: memory 5 was not read.")) << r.out;
    EXPECT_TRUE(unit.gaveUpAnExchange());
    unit.expectAnswers();
    EXPECT_EQ(unit.nameOf(5), "Copied");
    EXPECT_EQ(unit.nameOf(3), "MEMORY 3");
    std::remove(image.c_str());
}

}  // namespace
