// The bytes of every exchange over TCP, as the simulated unit traced them, against a trace
// recorded once: a probe, a keyboard lock, a load-all of 13 programs with the operating
// system and the reset, a change of program and a read-back. However the Ethernet wait is
// tuned, the module must see the same bytes in the same order.
//
// To record the fixture again: VELA_RECORD_TRACE=1 ./protocol_tests --gtest_filter='TcpTrace*'
#include "library/library_window.h"
#include "link/firmware_image.h"
#include "link/send_program.h"
#include "protocol/sim_harness.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace vela::test {
namespace {

const std::filesystem::path kFixture = std::filesystem::path(VELA_TEST_FIXTURES) / "load_all_tcp.trace";

std::vector<std::string> lines(const std::filesystem::path& path) {
    std::vector<std::string> out;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

LibraryBuffer thirteenPrograms() {
    LibraryBuffer library{};
    for (std::size_t k = 1; k <= 13; ++k) {
        ProgramImage image{};
        image[0] = 0x0D;
        image[1] = 0xF0;
        image[4] = 2;  // the model code of the first catalogue row
        for (std::size_t i = 5; i < 3570; ++i) image[i] = static_cast<std::uint8_t>(i * k + k);
        appendLibraryEntry(library, image);
    }
    return library;
}

TEST(TcpTrace, OfEveryExchangeIsTheRecordedOne) {
    const auto trace = std::filesystem::temp_directory_path() / ("vela_tcp_trace_" + std::to_string(::getpid()));
    {
        sim::SimOptions o;
        o.traceFile = trace;
        SimHarness h(Channel::Ethernet, o);
        ASSERT_EQ(h.send(CommandCode::ProbeCommand, 0, 0, false), ExchangeResult::Success);
        h.image[0] = 0xFF;
        ASSERT_EQ(h.send(CommandCode::KeyboardLockCommand, 0, 1), ExchangeResult::Success);

        LibraryWindow window(h.state, *h.link, h.image, h.library, h.ui);
        window.buffer = thirteenPrograms();
        std::string error;
        const auto firmware = firmwareImageFromText(builtInFirmwareText(), error);
        ASSERT_TRUE(firmware) << error;
        ASSERT_TRUE(window.loadAllMemories(*firmware).complete());

        h.state.EthernetActive = true;
        h.state.Link = LinkKind::Ethernet;
        ASSERT_EQ(h.send(CommandCode::ChangeProgramCommand, 5, 0), ExchangeResult::Success);
        h.state.ProgramNumber = 5;
        ASSERT_TRUE(h.receive(5).received);
        h.records();  // the unit has finished its last exchange
    }
    const auto got = lines(trace);
    std::filesystem::remove(trace);
    if (std::getenv("VELA_RECORD_TRACE")) {
        std::ofstream out(kFixture, std::ios::trunc);
        for (const auto& l : got) out << l << '\n';
        GTEST_SKIP() << "recorded " << kFixture;
    }
    const auto want = lines(kFixture);
    ASSERT_FALSE(want.empty()) << "no fixture at " << kFixture;
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i)
        EXPECT_EQ(got[i], want[i]) << "exchange " << i + 1 << " differs";
}

}  // namespace
}  // namespace vela::test
