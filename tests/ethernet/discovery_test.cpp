// The Ethernet module window against the simulated module, over UDP on 127.0.0.1 only.

#include "ethernet/ethernet_module_window.h"
#include "ethernet/qt_udp_endpoint.h"
#include "sim/ethernet_module.h"
#include "support/qt_app.h"
#include "support/scripted_ui.h"

#include <gtest/gtest.h>

namespace vela {
namespace {

using namespace std::chrono_literals;

// The test's message pump also runs the simulated module, as the event loop would.
class PumpingUi : public test::ScriptedUi {
public:
    std::function<void()> onPump;
    void pump() override {
        ScriptedUi::pump();
        if (onPump) onPump();
    }
};

class FixedHost : public LocalHost {
public:
    std::optional<std::string> address;
    std::vector<std::string> broadcasts;
    std::string hostName() override { return "TESTPC"; }
    std::optional<std::string> addressOf(const std::string&) override { return address; }
    std::vector<std::string> interfaceBroadcastAddresses() override { return broadcasts; }
};

// Keeps what would have been sent, and sends nothing.
class RecordingUdp : public DatagramEndpoint {
public:
    std::vector<Datagram> sent;
    bool send(const std::string& address, std::uint16_t port, std::span<const std::uint8_t> bytes) override {
        sent.push_back({address, port, {bytes.begin(), bytes.end()}});
        return true;
    }
    std::optional<Datagram> receive(std::chrono::milliseconds) override { return std::nullopt; }
    std::vector<std::string> addressesOf(const Bytes& bytes) const {
        std::vector<std::string> out;
        for (const auto& d : sent)
            if (d.bytes == bytes) out.push_back(d.address);
        return out;
    }
};

sim::SimulatedModule module(const std::string& id, const std::string& model, const std::string& name) {
    return sim::EthernetModuleSim::parseModuleOption(id + "," + model + "," + name);
}

class Discovery : public ::testing::Test {
protected:
    // Before the fixture's sockets are made: they need the application's event dispatcher.
    static void SetUpTestSuite() { test::ensureQtApplication(); }

    void SetUp() override {
        ASSERT_TRUE(simEndpoint.bound());
        ASSERT_TRUE(pcEndpoint.bound());
        ui.onPump = [this] {
            if (sim) sim->serve(simEndpoint, 0ms);
        };
    }

    void startSim(std::vector<sim::SimulatedModule> modules) { sim.emplace(std::move(modules)); }

    EthernetModuleSettings settings() {
        EthernetModuleSettings s;
        s.broadcast = "127.0.0.1";
        s.udpPort = simEndpoint.localPort();
        s.scanTime = 300ms;
        s.answerTime = 2000ms;
        return s;
    }

    std::vector<std::string> messages() const {
        std::vector<std::string> out;
        for (const auto& m : ui.messages) out.push_back(m.text);
        return out;
    }

    PumpingUi ui;
    FixedHost host;
    SessionState sessionState;
    DeviceLink link{sessionState, ui, {}};
    EthernetModuleState state;
    QtUdpEndpoint simEndpoint{"127.0.0.1", 0};
    QtUdpEndpoint pcEndpoint{"127.0.0.1", 0};
    std::optional<sim::EthernetModuleSim> sim;
};

TEST_F(Discovery, ListsOnlyTheChosenModelExactly) {
    startSim({module("ID1", "M09", "LEFT"), module("ID2", "M06", "SUB"), module("ID3", "m09", "LOWER"),
              module("ID4", "M09", "RIGHT")});
    EthernetModuleWindow w(state, ui, link, pcEndpoint, host, settings());
    std::string librarySelection;
    w.selectLibraryModel = [&](const std::string& model) { librarySelection = model; };
    w.chooseModel("M09");

    EXPECT_EQ(librarySelection, "M09");
    EXPECT_TRUE(state.view.scanButtonShown);
    EXPECT_EQ(sim->requests().size(), 1u);
    ASSERT_EQ(state.table.DeviceCount(), 2);
    EXPECT_EQ(state.table[0], (EthernetDevice{"127.0.0.1", "LEFT", "M09", "ID1"}));
    EXPECT_EQ(state.table[1].Name, "RIGHT");
    EXPECT_EQ(state.view.processorBox, (std::vector<std::string>{"LEFT", "RIGHT"}));
    EXPECT_EQ(state.view.ipList, (std::vector<std::string>{"LEFT=127.0.0.1", "RIGHT=127.0.0.1"}));
    EXPECT_EQ(state.view.scanStatus, "2.- Devices detected");
    EXPECT_TRUE(ui.hasStatus("Scaning ..."));
    EXPECT_TRUE(state.view.deviceListShown);
    EXPECT_FALSE(state.view.moduleControlsShown);
    EXPECT_EQ(ui.gaugePositionOf(Gauge::ScanProgress), 100);
    EXPECT_EQ(ui.gaugePositionOf(Gauge::ProgressBar), 0) << "the library window's gauge stays where it was";
    EXPECT_FALSE(state.scanning);
}

TEST_F(Discovery, ADeviceAnsweringTwiceIsListedTwiceAndASecondScanStartsEmpty) {
    startSim({module("ID1", "M09", "LEFT"), module("ID1", "M09", "LEFT")});
    EthernetModuleWindow w(state, ui, link, pcEndpoint, host, settings());
    w.chooseModel("M09");
    EXPECT_EQ(state.table.DeviceCount(), 2);
    EXPECT_EQ(state.view.processorBox, (std::vector<std::string>{"LEFT", "LEFT"}));
    w.chooseListedModule(1);
    EXPECT_TRUE(state.view.moduleControlsShown);

    startSim({module("ID1", "M06", "LEFT")});
    w.scan();
    EXPECT_EQ(state.table.DeviceCount(), 0);
    EXPECT_TRUE(state.view.processorBox.empty());
    EXPECT_TRUE(state.view.ipList.empty());
    EXPECT_EQ(state.view.scanStatus, "No Devices Found");
    EXPECT_FALSE(state.view.deviceListShown);
    EXPECT_FALSE(state.view.moduleControlsShown);
    EXPECT_FALSE(state.view.managementShown);
}

TEST_F(Discovery, MoreThanTheTableHoldsKeepsTheFirstHundredAndOne) {
    std::vector<sim::SimulatedModule> many;
    for (int i = 0; i < 105; ++i) {
        const std::string n = std::to_string(i);
        many.push_back(module(std::string("ID").append(n), "M09", std::string("U").append(n)));
    }
    startSim(many);
    EthernetModuleWindow w(state, ui, link, pcEndpoint, host, settings());
    w.chooseModel("M09");
    EXPECT_EQ(state.table.DeviceCount(), 101);
    EXPECT_EQ(state.table.dropped(), 4);
    EXPECT_EQ(state.view.processorBox.size(), 101u);
    EXPECT_EQ(state.view.scanStatus, "101.- Devices detected");
}

TEST_F(Discovery, ChangeIpSendsTheNineteenBytesAndRescans) {
    startSim({module("ID7", "M09", "LEFT")});
    EthernetModuleWindow w(state, ui, link, pcEndpoint, host, settings());
    w.chooseModel("M09");
    w.chooseListedModule(0);
    EXPECT_EQ(state.view.ip, (std::array<std::string, 4>{"127", "0", "0", "1"}));
    EXPECT_EQ(state.view.hostEdit, "LEFT");
    EXPECT_EQ(state.view.chosenIp, "127.0.0.1");

    state.view.ip = {"192", "168", "0", "10"};
    EXPECT_EQ(w.changeIp(), ChangeResult::Changed);
    ASSERT_GE(sim->requests().size(), 3u);  // discover, change IP, discover again
    Bytes expected{'A', 'I', 'D', '7', '/', '/', '1', '9', '2', '.', '1', '6', '8', '.', '0', '.', '1', '0', 0x00};
    EXPECT_EQ(sim->requests()[1].bytes, expected);
    EXPECT_EQ(sim->modules()[0].ip, "192.168.0.10");
    EXPECT_EQ(messages().back(), "IP Changed Successfully");
    EXPECT_EQ(ui.messages.back().kind, MessageKind::Information);
    EXPECT_EQ(sim->requests()[2].bytes, Bytes{'X'});
    EXPECT_EQ(state.table.DeviceCount(), 1);
}

TEST_F(Discovery, ChangeIpSaysSoWhenRefusedOrUnanswered) {
    startSim({module("ID7", "M09", "LEFT")});
    auto s = settings();
    s.answerTime = 200ms;
    s.rescanAfterChange = false;
    EthernetModuleWindow w(state, ui, link, pcEndpoint, host, s);
    w.findBroadcastAddress();

    w.chooseModule({"127.0.0.1", "LEFT", "M09", "ID7"});
    state.view.ip = {"192", "168", "0", "255"};  // the module refuses it
    EXPECT_EQ(w.changeIp(), ChangeResult::Refused);
    EXPECT_EQ(messages().back(), "Error Changing IP");

    w.chooseModule({"127.0.0.1", "OTHER", "M09", "ID9"});  // no module has that id
    state.view.ip = {"192", "168", "0", "10"};
    EXPECT_EQ(w.changeIp(), ChangeResult::NoAnswer);
    EXPECT_EQ(messages().back(), "Error Changing IP: no answer from the module within 200 ms");
    EXPECT_EQ(ui.messages.back().kind, MessageKind::Error);
}

TEST_F(Discovery, ChangeHostNameSendsThePairAndIdentifyBlinks) {
    startSim({module("ID7", "M09", "LEFT")});
    EthernetModuleWindow w(state, ui, link, pcEndpoint, host, settings());
    w.chooseModel("M09");
    w.chooseListedModule(0);
    state.view.hostEdit = "UNIT1";
    EXPECT_EQ(w.changeHostName(), ChangeResult::Changed);
    const auto& r = sim->requests();
    ASSERT_GE(r.size(), 4u);
    EXPECT_EQ(r[1].bytes, Bytes{'L'});
    EXPECT_EQ(r[2].bytes, (Bytes{'S', 'D', 'N', 'U', 'N', 'I', 'T', '1'}));
    EXPECT_EQ(messages().back(), "Host Name Changed Successfully");
    EXPECT_EQ(state.view.processorBox, (std::vector<std::string>{"UNIT1"}));

    w.identify();
    ui.pump();
    EXPECT_EQ(sim->requests().back().bytes, Bytes{'B'});
    EXPECT_EQ(sim->modules()[0].blinks, 1);
}

TEST_F(Discovery, ChangeHostNameWithoutAnswerEndsInTime) {
    auto s = settings();
    s.answerTime = 200ms;
    s.rescanAfterChange = false;
    EthernetModuleWindow w(state, ui, link, pcEndpoint, host, s);  // no module listens
    w.chooseModule({"127.0.0.1", "LEFT", "M09", "ID7"});
    state.view.hostEdit = "UNIT1";
    EXPECT_EQ(w.changeHostName(), ChangeResult::NoAnswer);
    EXPECT_EQ(messages().back(), "Error Changing Host Name: no answer from the module within 200 ms");
}

TEST_F(Discovery, AnUnresolvableHostNameKeepsThePreviousBroadcastAddress) {
    startSim({module("ID1", "M09", "LEFT")});
    auto s = settings();
    s.broadcast.reset();
    EthernetModuleWindow w(state, ui, link, pcEndpoint, host, s);
    state.BroadcastAddress = "127.0.0.1";  // from an earlier scan
    host.address.reset();
    w.chooseModel("M09");
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_EQ(ui.messages[0].text, "The host name of this computer (TESTPC) resolves to no IPv4 address");
    EXPECT_EQ(state.BroadcastAddress, "127.0.0.1");
    EXPECT_EQ(state.table.DeviceCount(), 1);
}

TEST_F(Discovery, EveryInterfaceGetsTheScanAndTheChangeUnlessABroadcastIsGiven) {
    RecordingUdp udp;
    host.broadcasts = {"192.0.2.255", "198.51.100.255"};
    host.address = "203.0.113.7";  // the host name's address: not used while interfaces answer
    auto s = settings();
    s.broadcast.reset();
    s.scanTime = 0ms;
    s.answerTime = 0ms;
    s.rescanAfterChange = false;
    EthernetModuleWindow w(state, ui, link, udp, host, s);
    w.chooseModel("M09");
    EXPECT_EQ(udp.addressesOf(Bytes{'X'}), host.broadcasts);
    EXPECT_EQ(state.BroadcastAddress, "192.0.2.255");

    w.chooseModule({"", "", "M09", "ID7"});
    state.view.ip = {"192", "0", "2", "10"};
    w.changeIp();
    EXPECT_EQ(udp.addressesOf(changeIpDatagram("ID7", "192.0.2.10")), host.broadcasts);

    // No interface: the host name's address with .255, as before.
    host.broadcasts.clear();
    udp.sent.clear();
    w.scan();
    EXPECT_EQ(udp.addressesOf(Bytes{'X'}), (std::vector<std::string>{"203.0.113.255"}));

    // --broadcast wins over the interfaces.
    host.broadcasts = {"192.0.2.255"};
    udp.sent.clear();
    EthernetModuleWindow given(state, ui, link, udp, host, [&] {
        auto g = s;
        g.broadcast = "127.0.0.1";
        return g;
    }());
    given.scan();
    EXPECT_EQ(udp.addressesOf(Bytes{'X'}), (std::vector<std::string>{"127.0.0.1"}));
}

TEST(LocalHostInterfaces, BroadcastAddressesAreDottedOnceEachAndNeverLoopback) {
    test::ensureQtApplication();
    QtLocalHost host;
    const auto all = host.interfaceBroadcastAddresses();
    for (std::size_t i = 0; i < all.size(); ++i) {
        EXPECT_TRUE(isDottedIPv4(all[i])) << all[i];
        EXPECT_NE(all[i].rfind("127.", 0), 0u) << all[i];
        EXPECT_EQ(std::count(all.begin(), all.end(), all[i]), 1) << all[i];
    }
}

TEST_F(Discovery, RepliesOutsideAScanAndMalformedRepliesAreNotListed) {
    EthernetModuleWindow w(state, ui, link, pcEndpoint, host, settings());
    state.view.modelText = "M09";
    w.takeReply({"127.0.0.1", 1, Bytes{'X', 'I', '/', 'a', '/', 'b', '/', 'c', '/', 'M', '0', '9', '/', 'N'}});
    EXPECT_TRUE(state.replyReceived);
    EXPECT_EQ(state.table.DeviceCount(), 0);
    state.scanning = true;
    w.takeReply({"127.0.0.1", 1, Bytes{'X', 'I', '/', 'M', '0', '9'}});
    w.takeReply({"127.0.0.1", 1, Bytes(500, '/')});
    EXPECT_EQ(state.table.DeviceCount(), 0);
    EXPECT_EQ(state.replyDatagram.size(), 101u);
}

TEST_F(Discovery, TheIpListAsksBeforeDeleting) {
    startSim({module("ID1", "M09", "LEFT"), module("ID2", "M09", "RIGHT")});
    EthernetModuleWindow w(state, ui, link, pcEndpoint, host, settings());
    w.chooseModel("M09");
    ui.answers = {Answer::Cancel, Answer::Ok};
    w.forgetListedModule(0);
    EXPECT_EQ(state.view.ipList.size(), 2u);
    w.forgetListedModule(0);
    EXPECT_EQ(messages().back(), "Do you want to Delete: LEFT=127.0.0.1");
    EXPECT_EQ(state.view.ipList, (std::vector<std::string>{"RIGHT=127.0.0.1"}));
    EXPECT_EQ(state.view.processorBox.size(), 2u);
}

TEST_F(Discovery, ConnectWithoutAChosenModuleSaysSo) {
    EthernetModuleWindow w(state, ui, link, pcEndpoint, host, settings());
    EXPECT_FALSE(w.connectToModule());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "You must Select a Processor from the Drop Down List");
    EXPECT_EQ(ui.messages[0].kind, MessageKind::Plain);
}

}  // namespace
}  // namespace vela
