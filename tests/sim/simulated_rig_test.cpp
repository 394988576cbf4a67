// The simulated rig on loopback: one discovery port, each cabinet answering from its own
// address with its own id and name, and each unit behind its own TCP address.
#include "sim/simulated_rig.h"
#include "sim/udp_module_endpoint.h"
#include "support/wine.h"

#include <gtest/gtest.h>

#include <QTcpSocket>

#include <map>

namespace vela::sim {
namespace {

using namespace std::chrono_literals;

std::vector<RigCabinet> cabinets(std::vector<int> modelCodes) {
    std::vector<RigCabinet> out;
    for (const int code : modelCodes) {
        RigCabinet c;
        c.unit.modelCode = code;
        c.model = "M" + std::to_string(code);
        out.push_back(c);
    }
    return out;
}

// Every discovery reply that comes within the time, by sender address.
std::map<std::string, std::string> discover(const SimulatedRig& rig, std::chrono::milliseconds time = 500ms) {
    LoopbackUdpSocket pc(0);
    const std::vector<std::uint8_t> x{'X'};
    EXPECT_TRUE(pc.send(kRigDiscoveryAddress, rig.udpPort(), x));
    std::map<std::string, std::string> replies;
    const auto end = std::chrono::steady_clock::now() + time;
    while (std::chrono::steady_clock::now() < end) {
        const auto d = pc.receive(20ms);
        if (!d) continue;
        EXPECT_EQ(d->port, rig.udpPort()) << "a module answers from the module port";
        EXPECT_FALSE(replies.count(d->address)) << d->address << " answered twice";
        replies[d->address] = std::string(d->bytes.begin() + 1, d->bytes.end());
    }
    return replies;
}

// Connects to the cabinet and sends START; the unit's echo of it, or nothing within the time.
std::optional<std::uint8_t> startAnswer(const RigAddress& a, std::chrono::milliseconds time = 500ms) {
    QTcpSocket socket;
    socket.connectToHost(QString::fromStdString(a.ip), a.tcpPort);
    if (!socket.waitForConnected(2000)) {
        ADD_FAILURE() << "cannot connect to " << a.ip << ":" << a.tcpPort;
        return std::nullopt;
    }
    const char start = 0x65;
    EXPECT_EQ(socket.write(&start, 1), 1);
    socket.waitForBytesWritten(1000);
    char b = 0;
    if (socket.waitForReadyRead(static_cast<int>(time.count())) && socket.read(&b, 1) == 1)
        return static_cast<std::uint8_t>(b);
    return std::nullopt;
}

TEST(SimulatedRig, EveryModuleAnswersDiscoveryFromItsOwnAddressWithItsOwnIdAndName) {
    if (test::underWine()) GTEST_SKIP() << "Wine answers every loopback address from 127.0.0.1";
    SimulatedRig rig(cabinets({15, 15, 2, 7}));
    ASSERT_EQ(rig.size(), 4u);
    const auto replies = discover(rig);
    ASSERT_EQ(replies.size(), 4u);
    const std::vector<std::string> models{"M15", "M15", "M2", "M7"};
    for (std::size_t k = 0; k < 4; ++k) {
        const RigAddress& a = rig.addresses()[k];
        EXPECT_EQ(a.ip, "127.0.0." + std::to_string(k + 2));
        EXPECT_EQ(a.tcpPort, rig.tcpPort()) << "every cabinet listens on the one port";
        ASSERT_TRUE(replies.count(a.ip)) << a.ip;
        EXPECT_EQ(replies.at(a.ip), a.deviceId + "/" + a.ip + "/255.255.255.0/1001/" + models[k] + "/" + a.hostName);
    }
    EXPECT_EQ(rig.addresses()[0].hostName, "CAB01");
    EXPECT_EQ(rig.addresses()[3].deviceId, "RIG004");
    EXPECT_EQ(rig.unit(2).options().modelCode, 2);
}

TEST(SimulatedRig, EachUnitAnswersOnItsOwnAddressAndAFaultStaysWithItsCabinet) {
    auto c = cabinets({15, 15, 15});
    c[1].unit.faults.push_back({SimFault::Kind::Silent, 0});
    SimulatedRig rig(std::move(c));
    EXPECT_EQ(startAnswer(rig.addresses()[0]), 0x65);
    EXPECT_EQ(startAnswer(rig.addresses()[1], 300ms), std::nullopt);
    EXPECT_EQ(startAnswer(rig.addresses()[2]), 0x65);
    // Each exchange reached its own cabinet only.
    for (const std::size_t k : {0u, 2u}) {
        EXPECT_TRUE(rig.unit(k).waitIdle(5s));
        EXPECT_EQ(rig.unit(k).exchangeCount(), 1) << k;
    }
}

TEST(SimulatedRig, ChangeIpIsAnsweredOnlyByTheModuleItNames) {
    if (test::underWine()) GTEST_SKIP() << "Wine answers every loopback address from 127.0.0.1";
    SimulatedRig rig(cabinets({15, 15, 15}));
    LoopbackUdpSocket pc(0);
    const std::string request = std::string("ARIG002//10.0.0.5") + '\0';
    pc.send(kRigDiscoveryAddress, rig.udpPort(), std::vector<std::uint8_t>(request.begin(), request.end()));
    const auto answer = pc.receive(2s);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->address, "127.0.0.3");
    EXPECT_EQ(answer->bytes, std::vector<std::uint8_t>{'A'});
    EXPECT_FALSE(pc.receive(200ms)) << "one answer only";
}

TEST(SimulatedRig, RefusesNoCabinetsTooManyAndAddressesOffLoopback) {
    EXPECT_THROW(SimulatedRig(std::vector<RigCabinet>{}), std::invalid_argument);
    EXPECT_THROW(SimulatedRig(std::vector<RigCabinet>(kMostRigCabinets + 1)), std::invalid_argument);
    EXPECT_THROW(LoopbackUdpSocket(0, "192.168.1.20"), std::invalid_argument);
}

TEST(RigFaults, ApplyToTheNamedCabinetOnly) {
    std::vector<SimOptions> units(3);
    applyRigFault("3:silent-block@2", units);
    applyRigFault("1:protect=4,5", units);
    applyRigFault("1:empty", units);
    applyRigFault("2:silent", units);
    ASSERT_EQ(units[2].faults.size(), 1u);
    EXPECT_EQ(units[2].faults[0].kind, SimFault::Kind::SilentBlock);
    EXPECT_EQ(units[2].faults[0].at, 2);
    EXPECT_EQ(units[0].protectedMemories, (std::set<int>{4, 5}));
    EXPECT_TRUE(units[0].empty);
    EXPECT_TRUE(units[0].faults.empty());
    EXPECT_EQ(units[1].faults[0].kind, SimFault::Kind::Silent);
    EXPECT_FALSE(units[1].empty);
    for (const char* bad : {"4:silent", "0:silent", "silent", "2:", "2:late", "2:protect=", "2:protect=14", "x:empty"})
        EXPECT_THROW(applyRigFault(bad, units), std::invalid_argument) << bad;
}

}  // namespace
}  // namespace vela::sim
