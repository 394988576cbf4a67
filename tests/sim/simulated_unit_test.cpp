// The simulated unit's own behaviour: options, faults that strike once, memories kept as
// files, the trace, and the in-process link used by --sim.
#include "link/device_link.h"
#include "link/receive_program.h"
#include "link/send_program.h"
#include "platform/process.h"
#include "sim/in_process_unit.h"
#include "support/scripted_ui.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>
#include <fstream>

namespace vela::sim {
namespace {

TEST(SimOptionsText, FaultsAndMemoryLists) {
    const auto f = parseFault("hangup-block@7");
    ASSERT_TRUE(f);
    EXPECT_EQ(f->kind, SimFault::Kind::HangupBlock);
    EXPECT_EQ(f->at, 7);
    EXPECT_EQ(parseFault("long")->at, 0);
    EXPECT_FALSE(parseFault("long@0"));
    EXPECT_FALSE(parseFault("late"));
    EXPECT_FALSE(parseFault("end@x"));
    EXPECT_EQ(parseMemoryList("3,5"), (std::set<int>{3, 5}));
    EXPECT_FALSE(parseMemoryList("0"));
    EXPECT_FALSE(parseMemoryList("14"));
    EXPECT_FALSE(parseMemoryList("3,,5"));
}

// A device link whose channels all lead to one in-process unit.
struct InProcess {
    explicit InProcess(SimOptions o = {}, Channel c = Channel::Usb)
        : unit(std::make_shared<InProcessUnit>(std::move(o))), link(state, ui, inProcessDevices(unit)), channel(c) {
        state.UsbActive = c == Channel::Usb;
        state.EthernetActive = c == Channel::Ethernet;
        state.SerialActive = c == Channel::Serial;
        link.ethernet.setAddress("127.0.0.1", 1001);
    }
    ExchangeResult send(CommandCode code, std::uint8_t program, std::uint16_t length) {
        const auto r = SendProgram(link, image, channel, code, program, length, false);
        closeUsbIfOpen(link);
        unit->unit().waitIdle(std::chrono::seconds(5));
        return r;
    }
    test::ScriptedUi ui;
    SessionState state;
    std::shared_ptr<InProcessUnit> unit;
    DeviceLink link;
    Channel channel;
    ProgramImage image{};
};

TEST(InProcessUnit, AnswersOnAllThreeChannels) {
    for (const Channel c : {Channel::Usb, Channel::Ethernet, Channel::Serial}) {
        InProcess p({}, c);
        EXPECT_EQ(p.send(CommandCode::ProbeCommand, 0, 0), ExchangeResult::Success) << channelName(c);
    }
}

TEST(Faults, WithAnOccurrenceStrikeOnlyThatTime) {
    SimOptions o;
    o.faults = {{SimFault::Kind::Start, 2}};
    InProcess p(o);
    EXPECT_EQ(p.send(CommandCode::ProbeCommand, 0, 0), ExchangeResult::Success);
    EXPECT_EQ(p.send(CommandCode::ProbeCommand, 0, 0), ExchangeResult::Failure);
    EXPECT_EQ(p.send(CommandCode::ProbeCommand, 0, 0), ExchangeResult::Success);
    const auto records = p.unit->unit().records();
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[1].outcome, "fault-start");
}

TEST(Faults, AHangupDropsTheLinkAndTheNextExchangeConnectsAfresh) {
    SimOptions o;
    o.faults = {{SimFault::Kind::HangupBlock, 1}};
    InProcess p(o);
    EXPECT_EQ(p.send(CommandCode::WriteProgramCommand, 1, 100), ExchangeResult::Failure);
    EXPECT_EQ(p.send(CommandCode::WriteProgramCommand, 1, 100), ExchangeResult::Success);
    EXPECT_EQ(p.unit->unit().memory(1)->size(), 100u);
}

TEST(Memories, KeptAsFilesOutliveTheUnit) {
    const auto dir = std::filesystem::temp_directory_path() / ("vela-sim-test-" + std::to_string(platform::processId()));
    std::filesystem::remove_all(dir);
    SimOptions o;
    o.memoryDir = dir;
    {
        InProcess p(o);
        for (std::size_t i = 0; i < 70; ++i) p.image[i] = static_cast<std::uint8_t>(i + 1);
        ASSERT_EQ(p.send(CommandCode::WriteProgramCommand, 12, 70), ExchangeResult::Success);
        ASSERT_EQ(p.send(CommandCode::DspProgramCommand, 15, 10), ExchangeResult::Success);
    }
    SimulatedUnit again(o);
    ASSERT_TRUE(again.memory(12));
    EXPECT_EQ(again.memory(12)->size(), 70u);
    EXPECT_EQ(again.memory(12)->at(69), 70);
    EXPECT_EQ(again.firmware().size(), 10u);
    EXPECT_FALSE(again.memory(11));
    std::filesystem::remove_all(dir);
}

TEST(Trace, KeepsOneJsonLinePerExchange) {
    const auto file = std::filesystem::temp_directory_path() / ("vela-trace-" + std::to_string(platform::processId()) + ".jsonl");
    SimOptions o;
    o.traceFile = file;
    o.protectedMemories = {2};
    {
        InProcess p(o);
        p.send(CommandCode::ProbeCommand, 0, 0);
        p.send(CommandCode::WriteProgramCommand, 2, 0);
    }
    std::ifstream in(file);
    std::string first, second, third;
    std::getline(in, first);
    std::getline(in, second);
    EXPECT_EQ(first,
              "{\"sequence\":1,\"kind\":\"exchange\",\"command\":0,\"program\":0,\"outcome\":\"ok\","
              "\"host\":\"65 00 00 00 00 00 55\",\"unit\":\"65 00 00 00 55\"}");
    EXPECT_EQ(second,
              "{\"sequence\":2,\"kind\":\"exchange\",\"command\":3,\"program\":2,\"outcome\":\"protected\","
              "\"host\":\"65 03 02\",\"unit\":\"65 03 ff\"}");
    EXPECT_FALSE(std::getline(in, third));
    in.close();  // Windows removes no open file
    std::filesystem::remove(file);
}

TEST(UnitCommands, ChangeTheUnitsOwnState) {
    InProcess p;
    p.image[0] = 0xFF;
    ASSERT_EQ(p.send(CommandCode::KeyboardLockCommand, 0, 1), ExchangeResult::Success);
    ASSERT_EQ(p.send(CommandCode::KeyboardOnlyChangeCommand, 0, 1), ExchangeResult::Success);
    ASSERT_EQ(p.send(CommandCode::ChangeProgramCommand, 9, 0), ExchangeResult::Success);
    ASSERT_EQ(p.send(CommandCode::ResetCommand, 0, 0), ExchangeResult::Success);
    const auto s = p.unit->unit().status();
    EXPECT_TRUE(s.keyboardLocked);
    EXPECT_TRUE(s.onlyChangeFromKeyboard);
    EXPECT_EQ(s.currentProgram, 9);
    EXPECT_EQ(s.resets, 1);
}

TEST(FactoryProgram, CarriesTheModelCodeAndTheMemoryName) {
    const auto p = factoryProgram(7, 5);
    ASSERT_EQ(p.size(), 3570u);
    EXPECT_EQ(p[0], 0x0D);
    EXPECT_EQ(p[1], 0xF0);
    EXPECT_EQ(p[4], 5);
    EXPECT_EQ(std::string(p.begin() + 12, p.begin() + 20), "MEMORY 7");
    EXPECT_EQ(p[51], ' ');
}

}  // namespace
}  // namespace vela::sim
