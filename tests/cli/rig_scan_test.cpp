// velaupdate rig scan against a simulated rig in this process, on loopback only: one row per
// cabinet with what its unit says it is, a silent cabinet's row saying why, and exit codes.
#include "sim/simulated_rig.h"
#include "sim/udp_module_endpoint.h"
#include "support/qt_app.h"
#include "support/run_cli.h"
#include "support/wine.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace vela {
namespace {

sim::RigCabinet cabinet(int modelCode, const std::string& moduleModel) {
    sim::RigCabinet c;
    c.unit.modelCode = modelCode;
    c.model = moduleModel;
    return c;
}

class RigScan : public ::testing::Test {
protected:
    static void SetUpTestSuite() { test::ensureQtApplication(); }

    test::CliOutcome scan(const sim::SimulatedRig& rig, std::vector<std::string> more = {}) {
        std::vector<std::string> words{"rig", "scan", "--broadcast", "127.0.0.1", "--port", std::to_string(rig.udpPort()),
                                       "--tcp-port", std::to_string(rig.tcpPort()), "--scan-time", "500"};
        words.insert(words.end(), more.begin(), more.end());
        return test::runCli(words);
    }

    // A mixed rig: two M09 (code 15), an M01 (code 2), a unit without a model code (a byte
    // that reads as a negative code), an empty one, a code past the catalogue, and an M06
    // whose unit never answers.
    static std::vector<sim::RigCabinet> mixedRig() {
        std::vector<sim::RigCabinet> c{cabinet(15, "M09"), cabinet(15, "M09"), cabinet(2, "M01"), cabinet(200, ""),
                                       cabinet(1, ""),     cabinet(99, "M99"),  cabinet(11, "M06")};
        c[4].unit.empty = true;
        c[6].unit.faults.push_back({sim::SimFault::Kind::Silent, 0});
        return c;
    }
};

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    for (std::size_t start = 0; start < text.size();) {
        const auto nl = text.find('\n', start);
        out.push_back(text.substr(start, nl - start));
        start = nl == std::string::npos ? text.size() : nl + 1;
    }
    return out;
}

TEST_F(RigScan, OneRowPerCabinetInAddressOrderAndTheSilentOneSaysWhy) {
    if (test::underWine()) GTEST_SKIP() << "Wine answers every loopback address from 127.0.0.1";
    sim::SimulatedRig rig(mixedRig());
    const auto r = scan(rig);
    EXPECT_EQ(r.code, 1) << "one cabinet could not be read\n" << r.err;
    const auto rows = lines(r.out);
    ASSERT_EQ(rows.size(), 8u) << r.out;
    EXPECT_EQ(rows[0].substr(0, 4), "NAME");
    const std::vector<std::pair<std::string, std::string>> expected{
        {"locked", "M09"}, {"locked", "M09"}, {"locked", "M01"}, {"free", "no model"}, {"free", "empty"},
        {"locked", "no model of this catalogue"}, {"-", "not read: "}};
    for (std::size_t k = 0; k < expected.size(); ++k) {
        const auto& row = rows[k + 1];
        const auto& a = rig.addresses()[k];
        EXPECT_EQ(row.rfind(a.hostName + " ", 0), 0u) << row;
        EXPECT_NE(row.find(" " + a.ip + " "), std::string::npos) << row;
        EXPECT_NE(row.find(" " + a.deviceId + " "), std::string::npos) << row;
        EXPECT_NE(row.find(" " + expected[k].first + " "), std::string::npos) << row;
        EXPECT_NE(row.find(expected[k].second), std::string::npos) << row;
    }
    EXPECT_NE(rows[7].find("It cannot communicate"), std::string::npos) << rows[7];
    // The scan only reads: no cabinet had a memory written.
    for (std::size_t k = 0; k < 6; ++k) {
        ASSERT_TRUE(rig.unit(k).waitIdle(std::chrono::seconds(5)));
        for (const auto& record : rig.unit(k).records()) EXPECT_NE(record.command, 3) << "cabinet " << k;
        EXPECT_EQ(rig.unit(k).memory(1), std::nullopt);
    }
}

TEST_F(RigScan, JsonGivesOneObjectPerCabinetWithTheReasonOnlyWhenNotRead) {
    if (test::underWine()) GTEST_SKIP() << "Wine answers every loopback address from 127.0.0.1";
    sim::SimulatedRig rig(mixedRig());
    const auto r = scan(rig, {"--json"});
    EXPECT_EQ(r.code, 1);
    const auto& a = rig.addresses();
    EXPECT_NE(r.out.find(R"({"Name":"CAB01","IP":")" + a[0].ip + R"(","DeviceId":"RIG001","ModuleModel":"M09",)"
                         R"("Model":"M09","ModelCode":15,"Locked":true})"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find(R"("ModuleModel":"","Model":"no model","ModelCode":200,"Locked":false})"), std::string::npos);
    EXPECT_NE(r.out.find(R"("Model":"empty","ModelCode":null,"Locked":false})"), std::string::npos);
    EXPECT_NE(r.out.find(R"("Model":"no model of this catalogue","ModelCode":99,"Locked":true})"), std::string::npos);
    EXPECT_NE(r.out.find(R"("ModuleModel":"M06","Model":null,"ModelCode":null,"Locked":false,"Reason":"This is not)"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '{'), 7);
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1) << "one document, one line";
}

TEST_F(RigScan, ModelFiltersByWhatTheModuleReportsAndAllReadIsExitZero) {
    if (test::underWine()) GTEST_SKIP() << "Wine answers every loopback address from 127.0.0.1";
    sim::SimulatedRig rig(mixedRig());
    const auto r = scan(rig, {"--model", "m09"});
    EXPECT_EQ(r.code, 0) << r.out << r.err;
    const auto rows = lines(r.out);
    ASSERT_EQ(rows.size(), 3u) << r.out;
    EXPECT_NE(rows[1].find("CAB01"), std::string::npos);
    EXPECT_NE(rows[2].find("CAB02"), std::string::npos);
    // Only the chosen model's cabinets were spoken to.
    EXPECT_EQ(rig.unit(2).exchangeCount(), 0);
}

TEST_F(RigScan, NoModuleAnsweringIsExitOneAndSaysSo) {
    sim::LoopbackUdpSocket nobody(0);
    const auto r = test::runCli({"rig", "scan", "--broadcast", "127.0.0.1", "--port", std::to_string(nobody.port()),
                                 "--scan-time", "200"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("No Devices Found"), std::string::npos) << r.err;
    sim::SimulatedRig rig({cabinet(15, "M09")});
    EXPECT_EQ(scan(rig, {"--model", "M01"}).code, 1) << "a filter that leaves nobody";
}

TEST_F(RigScan, ACabinetThatRefusesTheConnectionSaysWhyOnItsOneRow) {
    sim::SimulatedRig rig({cabinet(15, "M09"), cabinet(15, "M09")});
    auto words = std::vector<std::string>{"rig", "scan", "--broadcast", "127.0.0.1", "--port",
                                          std::to_string(rig.udpPort()), "--tcp-port", "1", "--scan-time", "300"};
    const auto r = test::runCli(words);
    EXPECT_EQ(r.code, 1);
    const auto rows = lines(r.out);
    ASSERT_EQ(rows.size(), 3u) << r.out;
    for (const auto& row : {rows[1], rows[2]}) {
        EXPECT_NE(row.find("not read: "), std::string::npos) << row;
        EXPECT_NE(row.find(":1: "), std::string::npos) << "names the address it tried: " << row;
        EXPECT_EQ(row.find("\\x0a"), std::string::npos) << row;
    }
}

TEST_F(RigScan, UsageErrorsAreExitTwo) {
    for (const auto& words : std::vector<std::vector<std::string>>{
             {"rig"},
             {"rig", "frob"},
             {"rig", "scan", "extra"},
             {"rig", "scan", "--port", "0"},
             {"rig", "scan", "--broadcast", "nowhere"},
             {"rig", "scan", "--scan-time", "5"},
             {"rig", "scan", "--model", ""}}) {
        const auto r = test::runCli(words);
        EXPECT_EQ(r.code, 2) << words.back() << "\n" << r.err;
    }
}

}  // namespace
}  // namespace vela
