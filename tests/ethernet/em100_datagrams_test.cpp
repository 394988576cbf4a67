#include "ethernet/device_table.h"
#include "ethernet/em100_datagrams.h"

#include <gtest/gtest.h>

namespace vela {
namespace {

Bytes bytes(const std::string& s) { return Bytes(s.begin(), s.end()); }

TEST(Em100Datagrams, RequestsByteForByte) {
    EXPECT_EQ(discoverDatagram(), bytes("X"));
    EXPECT_EQ(identifyDatagram(), bytes("B"));

    const Bytes changeIp = changeIpDatagram("ID7", "192.168.0.10");
    ASSERT_EQ(changeIp.size(), 19u);
    Bytes expected = bytes("AID7//192.168.0.10");
    expected.push_back(0x00);
    EXPECT_EQ(changeIp, expected);

    const auto [first, second] = hostNameDatagrams("UNIT1");
    EXPECT_EQ(first, bytes("L"));
    EXPECT_EQ(second, bytes("SDNUNIT1"));
    EXPECT_EQ(second.size(), 8u);
}

TEST(Em100Datagrams, ReplyFieldsIgnoreByteZeroAndTheNameRunsToTheEnd) {
    const auto d = parseDiscoveryReply(bytes("\x01ID7/x/y/z/M09/STAGE/LEFT"), "10.0.0.7");
    ASSERT_TRUE(d);
    EXPECT_EQ(d->DeviceId, "ID7");
    EXPECT_EQ(d->Model, "M09");
    EXPECT_EQ(d->Name, "STAGE/LEFT");
    EXPECT_EQ(d->IP, "10.0.0.7");

    // Empty fields are fields; a zero byte ends the text.
    const auto e = parseDiscoveryReply(bytes(std::string("X////M06/UNIT1\0garbage", 22)), "h");
    ASSERT_TRUE(e);
    EXPECT_EQ(e->DeviceId, "");
    EXPECT_EQ(e->Model, "M06");
    EXPECT_EQ(e->Name, "UNIT1");
}

TEST(Em100Datagrams, RepliesWithoutFiveSeparatorsOrTooLongAreHandled) {
    EXPECT_FALSE(parseDiscoveryReply({}, "h"));
    EXPECT_FALSE(parseDiscoveryReply(bytes("X"), "h"));
    EXPECT_FALSE(parseDiscoveryReply(bytes("XID7/a/b/M09"), "h"));
    EXPECT_FALSE(parseDiscoveryReply(bytes("XID7/a/b/c/M09"), "h"));
    ASSERT_TRUE(parseDiscoveryReply(bytes("XID7/a/b/c/M09/"), "h"));

    // Only 101 bytes are kept: the name is cut there.
    const auto long_ = parseDiscoveryReply(bytes("XI/a/b/c/M09/" + std::string(200, 'N')), "h");
    ASSERT_TRUE(long_);
    EXPECT_EQ(long_->Name.size(), 101u - 13u);
    // Separators beyond byte 101 do not count.
    EXPECT_FALSE(parseDiscoveryReply(bytes("X" + std::string(100, 'a') + "/b/c/d/e/f"), "h"));
}

TEST(Em100Datagrams, BroadcastAddressKeepsTheFirstThreeOctets) {
    EXPECT_EQ(broadcastAddressFor("192.168.1.20"), "192.168.1.255");
    EXPECT_EQ(broadcastAddressFor("10.0.12.254"), "10.0.12.255");
    EXPECT_EQ(broadcastAddressFor("127.0.0.1"), "127.0.0.255");
    for (const char* bad : {"", "192.168.1", "192.168.1.20.5", "192.168.1.", "a.b.c.d", "256.1.1.1", "1234.1.1.1",
                            "::1", "fe80::1"})
        EXPECT_FALSE(broadcastAddressFor(bad)) << bad;
}

TEST(Em100Datagrams, ModuleAddressesKeepTheEditLimits) {
    EXPECT_EQ(validModuleAddress("192.168.0.10"), "192.168.0.10");
    EXPECT_EQ(validModuleAddress("192.168.000.010"), "192.168.0.10");
    EXPECT_EQ(validModuleAddress("0.0.0.1"), "0.0.0.1");
    EXPECT_EQ(validModuleAddress("255.255.255.254"), "255.255.255.254");
    for (const char* bad : {"192.168.0.0", "192.168.0.255", "192.168.256.1", "192.168.0", "192.168.0.1000", "x.1.1.1"})
        EXPECT_FALSE(validModuleAddress(bad)) << bad;
}

TEST(Em100Datagrams, HostNamesAreUpperCaseAndAtMostEight) {
    EXPECT_EQ(validHostName("unit1"), "UNIT1");
    EXPECT_EQ(validHostName("ABCDEFGH"), "ABCDEFGH");
    EXPECT_FALSE(validHostName(""));
    EXPECT_FALSE(validHostName("ABCDEFGHI"));
    EXPECT_FALSE(validHostName(std::string("A\0B", 3)));
    EXPECT_FALSE(validHostName("caf\xc3\xa9"));
}

TEST(DeviceTable, HoldsAHundredAndOneAndCountsTheRest) {
    DeviceTable t;
    for (int i = 0; i < 105; ++i) t.add({"ip", std::string("N").append(std::to_string(i)), "M09", "ID"});
    EXPECT_EQ(t.DeviceCount(), 101);
    EXPECT_EQ(t.dropped(), 4);
    EXPECT_EQ(t.devices().back().Name, "N100");
    t.clear();
    EXPECT_EQ(t.DeviceCount(), 0);
    EXPECT_EQ(t.dropped(), 0);
    EXPECT_TRUE(t.devices().empty());
}

}  // namespace
}  // namespace vela
