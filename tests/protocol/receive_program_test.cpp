// Reading a memory back from the simulated unit: the request, then the unit's exchange
// towards the PC with every byte echoed or acknowledged.
#include "link/send_program.h"
#include "protocol/sim_harness.h"

#include <gtest/gtest.h>

namespace vela::test {
namespace {

// Stores `program` in memory `memory` of the unit with an ordinary write.
void store(SimHarness& h, std::uint8_t memory, const Bytes& program) {
    std::copy(program.begin(), program.end(), h.image.begin());
    ASSERT_EQ(h.send(CommandCode::WriteProgramCommand, memory, static_cast<std::uint16_t>(program.size())),
              ExchangeResult::Success);
}

Bytes pattern(std::size_t n, std::uint8_t modelCode = 1) {
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(i * 13 + 1);
    if (n > 4) b[4] = modelCode;
    return b;
}

class ReadBackLengths : public ::testing::TestWithParam<std::size_t> {};

TEST_P(ReadBackLengths, EchoesEveryStepAndAcknowledgesEachBlockWithItsLastByte) {
    const std::size_t length = GetParam();
    SimHarness h(Channel::Usb);
    const Bytes program = pattern(length);
    store(h, 5, program);
    h.state.ProgramNumber = 5;
    const auto r = h.receive(5);
    ASSERT_TRUE(r.received);
    EXPECT_EQ(r.length, length);
    EXPECT_EQ(Bytes(h.received.begin(), h.received.begin() + static_cast<long>(length)), program);
    EXPECT_TRUE(h.ui.hasStatus("Data Received..."));
    EXPECT_TRUE(h.ui.hasStatus("Comunication is OK..."));

    const auto records = h.records();
    ASSERT_EQ(records.size(), 3u);  // the write, the read request, the read-back
    EXPECT_EQ(records[1].host, hostBytesOf(4, 5, {}));
    const auto& back = records[2];
    EXPECT_EQ(back.kind, "read-back");
    const auto hi = static_cast<std::uint8_t>(length >> 8), lo = static_cast<std::uint8_t>(length & 0xFF);
    Bytes unit = {0x65, 0x04, 0x05, hi, lo};
    unit.insert(unit.end(), program.begin(), program.end());
    unit.push_back(0x55);
    EXPECT_EQ(back.unit, unit);
    Bytes host = {0x65, 0x65, 0x04, 0x05, hi, lo};
    for (std::size_t end = 64; end <= length; end += 64) host.push_back(program[end - 1]);
    if (length % 64) host.push_back(program.back());
    host.push_back(0x55);
    EXPECT_EQ(back.host, host);
    EXPECT_EQ(h.ui.hasStatus("Rest..."), length % 64 != 0);
}

INSTANTIATE_TEST_SUITE_P(Lengths, ReadBackLengths, ::testing::Values(0, 50, 64, 3570));

TEST(ReadBackOverTcp, TakesWhatEachReceiveEventCarried) {
    // A 50-byte remainder arrives in one event; counting it as 48 would wait for bytes that
    // never come.
    SimHarness h(Channel::Ethernet);
    const Bytes program = pattern(3570);
    store(h, 9, program);
    const auto r = h.receive(9);
    ASSERT_TRUE(r.received);
    EXPECT_EQ(Bytes(h.received.begin(), h.received.begin() + 3570), program);
}

TEST(ReadBackOverSerial, ReadsAShortProgram) {
    SimHarness h(Channel::Serial);
    const Bytes program = pattern(70, 3);
    store(h, 2, program);
    const auto r = h.receive(2);
    ASSERT_TRUE(r.received);
    EXPECT_EQ(Bytes(h.received.begin(), h.received.begin() + 70), program);
    EXPECT_EQ(h.library.selectedRow, 1);
}

TEST(ModelCode, TwoOrMoreLocksTheListToItsRowAndLessFreesIt) {
    SimHarness h(Channel::Usb);
    std::vector<int> chosen;
    h.library.changeAction = [&](int row) { chosen.push_back(row); };
    store(h, 1, pattern(3570, 2));
    store(h, 2, pattern(3570, 1));
    store(h, 3, pattern(3570, 0x85));  // a negative byte

    ASSERT_TRUE(h.receive(1).received);
    EXPECT_EQ(h.library.selectedRow, 0);
    EXPECT_FALSE(h.library.modelListEnabled);
    EXPECT_EQ(chosen, std::vector<int>{0});

    ASSERT_TRUE(h.receive(2).received);
    EXPECT_TRUE(h.library.modelListEnabled);
    h.library.modelListEnabled = false;
    ASSERT_TRUE(h.receive(3).received);
    EXPECT_TRUE(h.library.modelListEnabled);
    EXPECT_EQ(chosen.size(), 1u);

    // A code past the catalogue locks the list with no row chosen, never a row it lacks.
    store(h, 4, pattern(3570, 40));
    ASSERT_TRUE(h.receive(4).received);
    EXPECT_FALSE(h.library.modelListEnabled);
    EXPECT_EQ(h.library.selectedRow, -1);
    EXPECT_EQ(chosen, (std::vector<int>{0, -1}));
}

TEST(ModelCode, OfAnUnwrittenMemoryIsTheUnitsOwn) {
    sim::SimOptions o;
    o.modelCode = 6;
    SimHarness h(Channel::Usb, o);
    const auto r = h.receive(11);
    ASSERT_TRUE(r.received);
    EXPECT_EQ(r.length, 3570);
    EXPECT_EQ(h.library.selectedRow, 4);
}

TEST(EmptyUnit, OnUsbEndsAfterLongAndProbes) {
    sim::SimOptions o;
    o.empty = true;
    SimHarness h(Channel::Usb, o);
    const auto r = h.receive(1);
    EXPECT_FALSE(r.received);
    EXPECT_TRUE(r.noProgram);
    EXPECT_TRUE(r.answersAfterEmpty);
    // What an empty memory means for the model list is the session's to decide.
    EXPECT_TRUE(h.state.LibraryLoadLocked);
    EXPECT_FALSE(h.ui.hasStatus("Receive data..."));
    const auto records = h.records();
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[1].outcome, "empty");
    EXPECT_EQ(records[1].unit, (Bytes{0x65, 0x04, 0x01, 0xFF, 0xFF}));
    EXPECT_EQ(records[2].host, hostBytesOf(0, 0, {}));  // the probe that follows
}

TEST(EmptyUnit, OverTcpIsAnEmptyMemoryToo) {
    // The length 0xFFFF is the unit's "nothing stored" on every link, not a length to receive.
    sim::SimOptions o;
    o.empty = true;
    SimHarness h(Channel::Ethernet, o);
    h.received.fill(0x5A);
    const auto r = h.receive(1);
    EXPECT_FALSE(r.received);
    EXPECT_TRUE(r.noProgram);
    EXPECT_FALSE(h.ui.hasStatus("¡¡ERROR!! DATA NO VALID (Long)"));
    EXPECT_EQ(h.received[2], 0x5A);
    const auto records = h.records();
    ASSERT_EQ(records.size(), 2u);  // no probe follows over TCP
    EXPECT_EQ(records[1].outcome, "empty");
}

TEST(SilentUnit, DuringReadBackEndsTheReadInsteadOfHanging) {
    sim::SimOptions o;
    o.faults = {{sim::SimFault::Kind::SilentBlock, 3}};
    SimHarness h(Channel::Usb, o);
    EXPECT_FALSE(h.receive(4).received);
    EXPECT_FALSE(h.ui.hasStatus("Comunication is OK..."));
}

TEST(ReadRequest, ThatFailsStartsNoRead) {
    sim::SimOptions o;
    o.faults = {{sim::SimFault::Kind::Start, 1}};
    SimHarness h(Channel::Usb, o);
    EXPECT_FALSE(h.receive(4).received);
    EXPECT_FALSE(h.ui.hasStatus("Read program..."));
}

}  // namespace
}  // namespace vela::test
