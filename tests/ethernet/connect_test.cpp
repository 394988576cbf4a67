// Connect: the TCP link to the chosen module and the probe, against the simulated unit's
// TCP side on 127.0.0.1; and the simulated module's own UDP endpoint.

#include "ethernet/ethernet_module_window.h"
#include "ethernet/qt_udp_endpoint.h"
#include "link/tcp_socket.h"
#include "sim/simulated_unit.h"
#include "sim/tcp_endpoint.h"
#include "sim/udp_module_endpoint.h"
#include "support/qt_app.h"
#include "support/scripted_ui.h"

#include <gtest/gtest.h>

namespace vela {
namespace {

using namespace std::chrono_literals;

class NamedHost : public LocalHost {
public:
    std::string hostName() override { return "DESK"; }
    std::optional<std::string> addressOf(const std::string&) override { return "127.0.0.1"; }
};

LinkDevices tcpDevices() {
    return LinkDevices{nullptr, nullptr, makeTcpSocket};
}

class Connect : public ::testing::Test {
protected:
    static void SetUpTestSuite() { test::ensureQtApplication(); }

    EthernetModuleSettings settings(std::uint16_t tcpPort) {
        EthernetModuleSettings s;
        s.broadcast = "127.0.0.1";
        s.tcpPort = tcpPort;
        return s;
    }

    test::ScriptedUi ui;
    NamedHost host;
    SessionState session;
    DeviceLink link{session, ui, tcpDevices()};
    EthernetModuleState state;
    QtUdpEndpoint udp{"127.0.0.1", 0};
};

TEST_F(Connect, AProbedModuleBecomesTheLink) {
    sim::SimulatedUnit unit({});
    sim::TcpEndpoint tcp(unit, 0);
    EthernetModuleWindow w(state, ui, link, udp, host, settings(tcp.port()));
    bool libraryRefreshed = false, closed = false;
    w.libraryModelChanged = [&] { libraryRefreshed = true; };
    w.closeWindow = [&] { closed = true; };
    w.chooseModule({"127.0.0.1", "STAGE", "M09", "ID1"});

    ASSERT_TRUE(w.connectToModule());
    const std::string text = "ETHERNET: Connected with STAGE from DESK";
    EXPECT_EQ(state.view.statusB, text);
    EXPECT_EQ(ui.lastStatus(StatusField::StatusB), text);
    EXPECT_EQ(ui.lastStatus(StatusField::ConnectedL), text);
    EXPECT_EQ(ui.lastStatus(StatusField::InfoLabel), text);
    EXPECT_EQ(state.pcHostName, "DESK");
    EXPECT_EQ(link.ethernet.host(), "127.0.0.1");
    EXPECT_EQ(link.ethernet.port(), tcp.port());
    EXPECT_TRUE(closed);
    EXPECT_TRUE(libraryRefreshed);
    EXPECT_TRUE(ui.messages.empty());
    ASSERT_TRUE(unit.waitIdle(5000ms));
    ASSERT_FALSE(unit.records().empty());
}

// A network that drops every datagram: broadcasts are blocked.
class BlockedUdp : public DatagramEndpoint {
public:
    int attempts = 0;
    bool send(const std::string&, std::uint16_t, std::span<const std::uint8_t>) override {
        ++attempts;
        return false;
    }
    std::optional<Datagram> receive(std::chrono::milliseconds) override { return std::nullopt; }
};

TEST_F(Connect, AKnownAddressConnectsWhereBroadcastsAreBlocked) {
    sim::SimulatedUnit unit({});
    sim::TcpEndpoint tcp(unit, 0);
    BlockedUdp blocked;
    EthernetModuleWindow w(state, ui, link, blocked, host, settings(tcp.port()));
    w.chooseModule({"127.0.0.1", "STAGE", "", ""});
    ASSERT_TRUE(w.connectToModule());
    EXPECT_EQ(state.view.statusB, "ETHERNET: Connected with STAGE from DESK");
    EXPECT_EQ(blocked.attempts, 0);
    ASSERT_TRUE(unit.waitIdle(5000ms));
}

TEST_F(Connect, AFailedProbeDropsTheLink) {
    sim::SimOptions options;
    options.faults.push_back({sim::SimFault::Kind::Start, 0});
    sim::SimulatedUnit unit(options);
    sim::TcpEndpoint tcp(unit, 0);
    session.Link = LinkKind::Ethernet;
    session.EthernetActive = true;
    EthernetModuleWindow w(state, ui, link, udp, host, settings(tcp.port()));
    w.chooseModule({"127.0.0.1", "STAGE", "M09", "ID1"});

    EXPECT_FALSE(w.connectToModule());
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_EQ(ui.messages.back().text, "ETHERNET Comunication Error. Connecting with: STAGE");
    EXPECT_EQ(ui.messages.back().kind, MessageKind::Plain);
    EXPECT_EQ(session.Link, LinkKind::Offline);
    EXPECT_FALSE(session.EthernetActive);
    EXPECT_EQ(ui.lastStatus(StatusField::InfoLabel), "Status: Offline");
    EXPECT_EQ(state.view.statusB, "offline");
}

TEST_F(Connect, ARefusedConnectionIsReportedAndAbandoned) {
    std::uint16_t closedPort = 0;
    {
        sim::SimulatedUnit unit({});
        sim::TcpEndpoint tcp(unit, 0);
        closedPort = tcp.port();
    }
    EthernetModuleWindow w(state, ui, link, udp, host, settings(closedPort));
    w.chooseModule({"127.0.0.1", "STAGE", "M09", "ID1"});
    EXPECT_THROW(w.connectToModule(), LinkAbandoned);
    ASSERT_EQ(ui.messages.size(), 1u);
    // The one report names the module's address and port.
    EXPECT_EQ(ui.messages[0].text.rfind("ETHERNET error: Opening IP: 127.0.0.1. Verify if the IP is Correct and the "
                                        "Processor is Switched ON\n127.0.0.1:" + std::to_string(closedPort) + ": ",
                                        0),
              0u)
        << ui.messages[0].text;
}

TEST(SimulatedModuleEndpoint, AnswersOnItsOwnThread) {
    test::ensureQtApplication();
    sim::UdpModuleEndpoint module({sim::EthernetModuleSim::parseModuleOption("ID7,M09,LEFT")}, 0);
    EXPECT_EQ(module.announcement(), "UDP 127.0.0.1:" + std::to_string(module.port()) + " (Ethernet module ID7,M09,LEFT)");
    QtUdpEndpoint pc("127.0.0.1", 0);
    ASSERT_TRUE(pc.send("127.0.0.1", module.port(), Bytes{'X'}));
    const auto reply = pc.receive(5000ms);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->port, module.port());
    const auto device = parseDiscoveryReply(reply->bytes, reply->address);
    ASSERT_TRUE(device);
    EXPECT_EQ(*device, (EthernetDevice{"127.0.0.1", "LEFT", "M09", "ID7"}));

    EXPECT_THROW(sim::EthernetModuleSim::parseModuleOption("ID7,M09"), std::invalid_argument);
    EXPECT_THROW(sim::EthernetModuleSim::parseModuleOption(",M09,X"), std::invalid_argument);
}

}  // namespace
}  // namespace vela
