// The scanner apart from sessions, against the simulated rig on loopback.
#include "ethernet/module_scanner.h"
#include "sim/simulated_rig.h"
#include "sim/udp_module_endpoint.h"
#include "support/wine.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace vela {
namespace {

using namespace std::chrono_literals;

sim::RigCabinet cabinet(const std::string& model) {
    sim::RigCabinet c;
    c.model = model;
    return c;
}

TEST(ModuleScanner, FindsEveryModuleOfEveryModelEachWithItsOwnAddress) {
    if (test::underWine()) GTEST_SKIP() << "Wine answers every loopback address from 127.0.0.1";
    sim::SimulatedRig rig({cabinet("M09"), cabinet("M01"), cabinet(""), cabinet("M09")});
    sim::LoopbackUdpSocket pc(0);
    const auto found = scanModules(pc, {{sim::kRigDiscoveryAddress}, rig.udpPort(), 1001, 400ms});
    ASSERT_TRUE(found);
    ASSERT_EQ(found->size(), 4u);
    for (std::size_t k = 0; k < 4; ++k) {
        const auto& a = rig.addresses()[k];
        const auto it = std::find_if(found->begin(), found->end(), [&](const FoundModule& m) { return m.device.IP == a.ip; });
        ASSERT_NE(it, found->end()) << a.ip;
        EXPECT_EQ(it->device.Name, a.hostName);
        EXPECT_EQ(it->device.DeviceId, a.deviceId);
        EXPECT_EQ(it->tcpPort, 1001) << "the port the scan was told, whatever the reply holds";
    }
    const auto models = std::count_if(found->begin(), found->end(), [](const FoundModule& m) { return m.device.Model == "M09"; });
    EXPECT_EQ(models, 2);
}

TEST(ModuleScanner, AModuleReachedTwiceIsFoundOnceButEveryReplyIsSeen) {
    sim::SimulatedRig rig({cabinet("M09"), cabinet("M06")});
    sim::LoopbackUdpSocket pc(0);
    const auto found = scanModules(pc, {{"127.0.0.1", "127.0.0.1"}, rig.udpPort(), 1001, 400ms});
    ASSERT_TRUE(found);
    EXPECT_EQ(found->size(), 2u);

    ModuleScanner scanner(pc, rig.udpPort());
    int datagrams = 0;
    scanner.onDatagram = [&](const Datagram&) { ++datagrams; };
    EXPECT_TRUE(scanner.start({"127.0.0.1", "127.0.0.1"}));
    scanner.collect(400ms);
    EXPECT_EQ(scanner.found().size(), 4u);
    EXPECT_EQ(datagrams, 4);
}

// Replays datagrams; sending to an address without a dot fails.
class CannedUdp : public DatagramEndpoint {
public:
    std::vector<Datagram> replies;
    bool send(const std::string& address, std::uint16_t, std::span<const std::uint8_t>) override {
        return address.find('.') != std::string::npos;
    }
    std::optional<Datagram> receive(std::chrono::milliseconds) override {
        if (replies.empty()) return std::nullopt;
        auto d = replies.front();
        replies.erase(replies.begin());
        return d;
    }
};

Bytes text(const std::string& s) { return Bytes(s.begin(), s.end()); }

TEST(ModuleScanner, SkipsMalformedRepliesAndSaysWhenNothingCouldBeSent) {
    CannedUdp udp;
    udp.replies = {{"10.0.0.7", 65535, text("XID7/a/b/c/M09/TOP1")},
                   {"10.0.0.8", 65535, text("X")},
                   {"10.0.0.9", 65535, text("XID9/a/b/c/M09")},  // four separators: no name
                   {"10.0.0.10", 65535, text("XID10/a/b/c//")}};
    const auto found = scanModules(udp, {{"nowhere", "10.0.0.255"}, 65535, 1001, 10ms});
    ASSERT_TRUE(found) << "one target was reached";
    ASSERT_EQ(found->size(), 2u);
    EXPECT_EQ(found->at(0).device, (EthernetDevice{"10.0.0.7", "TOP1", "M09", "ID7"}));
    EXPECT_EQ(found->at(1).device, (EthernetDevice{"10.0.0.10", "", "", "ID10"}));
    EXPECT_FALSE(scanModules(udp, {{"nowhere"}, 65535, 1001, 10ms}));
    EXPECT_FALSE(scanModules(udp, {{}, 65535, 1001, 10ms}));
}

class FixedHost : public LocalHost {
public:
    std::string name;
    std::optional<std::string> address;
    std::vector<std::string> broadcasts;
    std::string hostName() override { return name; }
    std::optional<std::string> addressOf(const std::string&) override { return address; }
    std::vector<std::string> interfaceBroadcastAddresses() override { return broadcasts; }
};

TEST(DefaultScanTargets, InterfacesFirstThenThePcsOwnAddressElseWhy) {
    FixedHost host;
    std::string why;
    host.broadcasts = {"192.168.1.255", "10.1.2.255"};
    host.address = "172.16.5.9";
    EXPECT_EQ(defaultScanTargets(host, why), host.broadcasts);
    host.broadcasts.clear();
    host.name = "PC";
    EXPECT_EQ(defaultScanTargets(host, why), std::vector<std::string>{"172.16.5.255"});
    EXPECT_TRUE(why.empty());
    host.address.reset();
    EXPECT_TRUE(defaultScanTargets(host, why).empty());
    EXPECT_NE(why.find("(PC) resolves to no IPv4 address"), std::string::npos) << why;
}

}  // namespace
}  // namespace vela
