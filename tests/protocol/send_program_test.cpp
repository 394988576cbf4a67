// The handshaken exchange against the simulated unit, byte for byte, over the USB bridge on a
// pseudo-terminal, over TCP on 127.0.0.1 and over the serial line.
#include "link/ethernet_channel.h"
#include "link/send_program.h"
#include "link/tty_port.h"
#include "protocol/sim_harness.h"

#include <gtest/gtest.h>

#include <ostream>

namespace vela {
// Test names and failure reports say which link a case runs on.
void PrintTo(Channel channel, std::ostream* os) { *os << channelName(channel); }
}  // namespace vela

namespace vela::test {
namespace {

Bytes imageBytes(const ProgramImage& image, std::size_t n) { return Bytes(image.begin(), image.begin() + n); }

bool hasMessage(const ScriptedUi& ui, std::string_view text) {
    for (const auto& m : ui.messages)
        if (m.text == text) return true;
    return false;
}

std::string linkName(const ::testing::TestParamInfo<Channel>& c) { return std::string(channelName(c.param)); }

class WriteOverEachLink : public ::testing::TestWithParam<Channel> {};

TEST_P(WriteOverEachLink, Memory5WithA3570ByteImageMatchesTheTrace) {
    SimHarness h(GetParam());
    h.fillProgram(3570);
    h.state.ProgramNumber = 5;
    const auto length = programImageLength(h.image);
    ASSERT_EQ(length, 3570);
    ASSERT_EQ(h.send(CommandCode::WriteProgramCommand, 5, *length), ExchangeResult::Success);

    const auto records = h.records();
    ASSERT_EQ(records.size(), 1u);
    const Bytes data = imageBytes(h.image, 3570);
    EXPECT_EQ(records[0].host, hostBytesOf(3, 5, data));
    // START, COMMAND, PROGRAM, LONG low byte, 55 blocks and the 50-byte remainder, END.
    const Bytes& unit = records[0].unit;
    ASSERT_EQ(unit.size(), 4u + 55 + 1 + 1);
    EXPECT_EQ(Bytes(unit.begin(), unit.begin() + 4), (Bytes{0x65, 0x03, 0x05, 0xF2}));
    EXPECT_EQ(unit.back(), 0x55);
    EXPECT_EQ(Bytes(records[0].host.begin() + 4, records[0].host.begin() + 6), (Bytes{0x0D, 0xF2}));
    EXPECT_EQ(h.unit->memory(5), data);

    EXPECT_TRUE(h.ui.hasStatus("Sending DATA... to Memory 5"));
    EXPECT_TRUE(h.ui.hasStatus("Communication OK..."));
    EXPECT_EQ(h.ui.hasStatus("Received END..."), GetParam() != Channel::Ethernet);
    EXPECT_EQ(h.ui.lastStatus(StatusField::InfoComLabel),
              GetParam() == Channel::Usb ? "Comunication: USB" : "Comunication: ETHERNET");
    EXPECT_FALSE(h.ui.transferWindowVisible);
    EXPECT_EQ(h.ui.gaugePositionOf(Gauge::ProgressBar), 55 * 64);
    EXPECT_EQ(h.ui.gaugePositionOf(Gauge::TotalProgress), 100);  // clamped at its maximum of 100
}

INSTANTIATE_TEST_SUITE_P(Links, WriteOverEachLink, ::testing::Values(Channel::Usb, Channel::Ethernet), linkName);

class WriteLengths : public ::testing::TestWithParam<std::uint16_t> {};

TEST_P(WriteLengths, SendFullBlocksThenTheRemainder) {
    const std::uint16_t length = GetParam();
    SimHarness h(Channel::Usb);
    for (std::size_t i = 0; i < length; ++i) h.image[i] = static_cast<std::uint8_t>(0xA0 + i);
    ASSERT_EQ(h.send(CommandCode::WriteProgramCommand, 2, length), ExchangeResult::Success);
    const auto r = h.records().at(0);
    EXPECT_EQ(r.host, hostBytesOf(3, 2, imageBytes(h.image, length)));
    const std::size_t answers = length / 64 + (length % 64 ? 1 : 0);
    EXPECT_EQ(r.unit.size(), 4u + answers + 1);
    EXPECT_EQ(r.unit[3], static_cast<std::uint8_t>(length & 0xFF));
    EXPECT_EQ(h.unit->memory(2), imageBytes(h.image, length));
}

INSTANTIATE_TEST_SUITE_P(Lengths, WriteLengths, ::testing::Values(0, 1, 63, 64, 65, 128));

TEST(WriteOverSerial, TakesTheSameBytesAndShowsOnlyTheLibraryLine) {
    SimHarness h(Channel::Serial);
    for (std::size_t i = 0; i < 65; ++i) h.image[i] = static_cast<std::uint8_t>(i);
    ASSERT_EQ(h.send(CommandCode::WriteProgramCommand, 7, 65), ExchangeResult::Success);
    EXPECT_EQ(h.records().at(0).host, hostBytesOf(3, 7, imageBytes(h.image, 65)));
    EXPECT_TRUE(h.ui.hasStatus("Received END..."));
    for (const auto& [field, text] : h.ui.statuses) EXPECT_NE(field, StatusField::TransferInfo) << text;
}

class ProtectedMemory : public ::testing::TestWithParam<Channel> {};

TEST_P(ProtectedMemory, ShowsTheDialogSendsNothingMoreAndFails) {
    sim::SimOptions o;
    o.protectedMemories = {5};
    SimHarness h(GetParam(), o);
    h.fillProgram();
    EXPECT_EQ(h.send(CommandCode::WriteProgramCommand, 5, 3570), ExchangeResult::Protected);
    EXPECT_TRUE(hasMessage(h.ui,
                           "MEMORY PROTECTED. If you want to override it, you must unprotect it from the keyboard of the "
                           "Processor."));
    EXPECT_EQ(h.ui.messages.at(0).buttons, Buttons::Yes);
    const auto r = h.records().at(0);
    EXPECT_EQ(r.outcome, "protected");
    EXPECT_EQ(r.host, (Bytes{0x65, 0x03, 0x05}));
    EXPECT_EQ(h.unit->memory(5), std::nullopt);
    if (GetParam() == Channel::Usb) {
        EXPECT_FALSE(h.link->usb.isOpen());
    } else {
        EXPECT_FALSE(h.link->ethernet.isActive());
    }
}

INSTANTIATE_TEST_SUITE_P(Links, ProtectedMemory, ::testing::Values(Channel::Usb, Channel::Ethernet), linkName);

struct WrongAnswer {
    Channel channel;
    sim::SimFault::Kind fault;
    const char* status;
};

std::string caseName(const WrongAnswer& c) { return std::string(channelName(c.channel)) + "_" + sim::faultName(c.fault); }
void PrintTo(const WrongAnswer& c, std::ostream* os) { *os << caseName(c); }

class WrongAnswers : public ::testing::TestWithParam<WrongAnswer> {};

TEST_P(WrongAnswers, EndTheExchangeWithTheirStatusText) {
    const auto p = GetParam();
    sim::SimOptions o;
    o.faults = {{p.fault, 0}};
    SimHarness h(p.channel, o);
    h.fillProgram(200);
    EXPECT_EQ(h.send(CommandCode::WriteProgramCommand, 4, 200), ExchangeResult::Failure);
    EXPECT_TRUE(h.ui.hasStatus(p.status)) << h.ui.lastStatus(StatusField::LibraryInfo);
    EXPECT_EQ(h.unit->memory(4), std::nullopt);
    EXPECT_EQ(hasMessage(h.ui, "ERROR"), p.fault == sim::SimFault::Kind::End);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, WrongAnswers,
    ::testing::Values(WrongAnswer{Channel::Usb, sim::SimFault::Kind::Start, "  ¡¡ERROR!! HEADER NO VALID(0)"},
                      WrongAnswer{Channel::Ethernet, sim::SimFault::Kind::Start, "  ¡¡ERROR!! DATA NO VALID(0)"},
                      WrongAnswer{Channel::Usb, sim::SimFault::Kind::Long, "¡¡ERROR!! DATA NO VALID (Long)"},
                      WrongAnswer{Channel::Ethernet, sim::SimFault::Kind::Long, "¡¡ERROR!! DATA NO VALID (Long)"},
                      WrongAnswer{Channel::Usb, sim::SimFault::Kind::End, " ¡¡ERROR!! DATA NO VALID (END)"},
                      WrongAnswer{Channel::Ethernet, sim::SimFault::Kind::End, " ¡¡ERROR!! DATA NO VALID (END)"}),
    [](const ::testing::TestParamInfo<WrongAnswer>& c) { return caseName(c.param); });

TEST(SilentUnit, AnUnansweredBlockEndsTheExchangeOnEveryLink) {
    for (const Channel c : {Channel::Usb, Channel::Ethernet}) {
        sim::SimOptions o;
        o.faults = {{sim::SimFault::Kind::SilentBlock, 2}};
        SimHarness h(c, o);
        h.fillProgram(300);
        EXPECT_EQ(h.send(CommandCode::WriteProgramCommand, 1, 300), ExchangeResult::Failure);
        EXPECT_FALSE(h.ui.hasStatus("Sending END..."));
    }
}

TEST(DroppedConnection, MidTransferReportsOnceDropsTheLinkAndAbandons) {
    sim::SimOptions o;
    o.faults = {{sim::SimFault::Kind::HangupBlock, 3}};
    SimHarness h(Channel::Ethernet, o);
    h.fillProgram(300);
    h.ui.showTransferWindow();
    EXPECT_THROW(h.send(CommandCode::WriteProgramCommand, 1, 300), LinkAbandoned);
    ASSERT_EQ(h.ui.messages.size(), 1u);
    // It ended because the connection closed, not because the answer's time ran out.
    EXPECT_FALSE(h.link->buffers.ReplyTimedOut);
    ASSERT_FALSE(h.ui.messages.empty());
    EXPECT_EQ(h.ui.messages[0].text.rfind("ETHERNET error: Opening IP: 127.0.0.1. Verify if the IP is Correct and "
                                          "the Processor is Switched ON\n127.0.0.1:",
                                          0),
              0u);
    EXPECT_EQ(h.state.Link, LinkKind::Offline);
    EXPECT_FALSE(h.state.EthernetActive);
    EXPECT_EQ(h.ui.lastStatus(StatusField::InfoLabel), "Status: Offline");
    EXPECT_FALSE(h.ui.transferWindowVisible);
    EXPECT_FALSE(h.ui.hasStatus("Sending END..."));
    EXPECT_EQ(h.records().at(0).outcome, "hangup");
}

TEST(ExchangeLength, BeyondTheTransmitBufferIsRefusedBeforeAnythingIsSent) {
    SimHarness h(Channel::Usb);
    h.image[0] = 0xFF;  // a length field of 65535
    h.image[1] = 0xFF;
    EXPECT_EQ(programImageLength(h.image), std::nullopt);
    EXPECT_EQ(h.send(CommandCode::WriteProgramCommand, 1, 40000), ExchangeResult::Failure);
    EXPECT_TRUE(h.records().empty());
}

TEST(FirmwareExchange, NamesTheDspProgramInItsDataStatus) {
    SimHarness usb(Channel::Usb);
    ASSERT_EQ(usb.send(CommandCode::DspProgramCommand, 15, 0), ExchangeResult::Success);
    EXPECT_TRUE(usb.ui.hasStatus("Sending DATA... DSP Program "));
    SimHarness tcp(Channel::Ethernet);
    ASSERT_EQ(tcp.send(CommandCode::DspProgramCommand, 15, 0), ExchangeResult::Success);
    EXPECT_TRUE(tcp.ui.hasStatus("Sending DATA... DSP Program"));
}

TEST(ProgramNumberAnswer, OtherThanTheNumberFailsWithItsText) {
    SimHarness h(Channel::Usb);
    // The unit has no memory 14.
    EXPECT_EQ(h.send(CommandCode::WriteProgramCommand, 14, 0), ExchangeResult::Failure);
    EXPECT_TRUE(h.ui.hasStatus("  ¡¡ERROR!! DATA NO VALID (n_prog)"));
}

}  // namespace
}  // namespace vela::test

namespace vela::test {
namespace {

TEST(FailedExchange, LetsTheBridgeGoSoTheNextExchangeCanOpenIt) {
    sim::SimOptions o;
    o.faults = {{sim::SimFault::Kind::Start, 1}, {sim::SimFault::Kind::SilentBlock, 1}};
    SimHarness h(Channel::Usb, o);
    auto probe = [&] {
        return SendProgram(*h.link, h.image, Channel::Usb, CommandCode::ProbeCommand, 0, 0, false);
    };
    EXPECT_EQ(probe(), ExchangeResult::Failure);  // a wrong START answer
    EXPECT_FALSE(h.link->usb.isOpen());
    EXPECT_EQ(probe(), ExchangeResult::Success);
    // A read-back whose unit falls silent in its first block.
    EXPECT_FALSE(ReceiveProgram(*h.link, h.image, Channel::Usb, 1, h.received).received);
    EXPECT_FALSE(h.link->usb.isOpen());
    h.unit->waitIdle(std::chrono::seconds(5));  // the unit gives the abandoned read up
    EXPECT_EQ(probe(), ExchangeResult::Success);
    EXPECT_FALSE(hasMessage(h.ui, "Can't open the USB. Please verify that the USB is connected and your Box is "
                                  "switch on - Device Not Opened..."));
}

TEST(SerialPort, ThatDoesNotExistSaysSoAndSendsNothing) {
    ScriptedUi ui;
    SessionState state;
    state.Link = LinkKind::COM1;
    state.SerialActive = true;
    LinkDevices devices;
    devices.serial = std::make_unique<TtyPort>("/dev/no-such-tty");
    DeviceLink link(state, ui, std::move(devices));
    ProgramImage image{};
    EXPECT_EQ(SendProgram(link, image, Channel::Serial, CommandCode::ProbeCommand, 0, 0, false),
              ExchangeResult::Failure);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Can't open the serial port: /dev/no-such-tty: No such file or directory");
    EXPECT_FALSE(state.SerialActive);
    EXPECT_FALSE(ui.hasStatus("Sending START..."));
}

TEST(ModuleUnreachable, AbandonsNamingItsHostAndPort) {
    SimHarness h(Channel::Ethernet);
    h.link->ethernet.setAddress("127.0.0.1", 1);  // nothing listens on port 1
    try {
        h.send(CommandCode::ProbeCommand, 0, 0, false);
        FAIL() << "the exchange went on";
    } catch (const LinkAbandoned& e) {
        EXPECT_EQ(std::string(e.what()).rfind("127.0.0.1:1: ", 0), 0u) << e.what();
    }
    // The one report carries the same address and reason.
    ASSERT_EQ(h.ui.messages.size(), 1u);
    EXPECT_EQ(h.ui.messages[0].text.rfind("ETHERNET error: Opening IP: 127.0.0.1. Verify if the IP is Correct and "
                                          "the Processor is Switched ON\n127.0.0.1:1: ",
                                          0),
              0u)
        << h.ui.messages[0].text;
}

}  // namespace
}  // namespace vela::test
