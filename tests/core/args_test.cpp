#include "core/args.h"
#include "cli/json.h"
#include "session/link_options.h"

#include <clocale>
#include <gtest/gtest.h>

namespace vela::cli {
namespace {

TEST(Args, SwitchesNeverSwallowTheCommand) {
    const auto a = Args::parse({"--sim", "probe", "--yes"});
    ASSERT_EQ(a.positional, (std::vector<std::string>{"probe"}));
    EXPECT_TRUE(a.flag("sim"));
    EXPECT_TRUE(a.flag("yes"));
}

TEST(Args, ValuesComeWithEqualsOrAsTheNextWord) {
    const auto a = Args::parse({"design", "biquad", "--gain", "-6", "--freq=1000", "--module", "1,A,B",
                                "--module", "2,A,C"});
    EXPECT_EQ(a.number("gain"), -6.0);
    EXPECT_EQ(a.integer("freq"), 1000);
    EXPECT_EQ(a.values("module"), (std::vector<std::string>{"1,A,B", "2,A,C"}));
    EXPECT_EQ(Args::parse({"--gain"}).missingValue(), "--gain");
    EXPECT_FALSE(a.missingValue());
    EXPECT_THROW(Args::parse({"--freq", "1k"}).integer("freq"), std::invalid_argument);
    EXPECT_EQ(a.unknown({"gain", "freq"}), (std::vector<std::string>{"--module", "--module"}));
}

TEST(Args, DeviceOptionsTakeTheNextWordOnlyWhenItNamesADevice) {
    const auto spaced = Args::parse({"--usb", "/dev/ttyUSB0", "probe"});
    EXPECT_EQ(spaced.value("usb"), "/dev/ttyUSB0");
    EXPECT_EQ(spaced.positional, (std::vector<std::string>{"probe"}));
    // A bare --usb before a command or an option is still the first bridge.
    const auto bare = Args::parse({"--usb", "probe", "--serial", "--json"});
    EXPECT_EQ(bare.value("usb"), "");
    EXPECT_EQ(bare.value("serial"), "");
    EXPECT_EQ(bare.positional, (std::vector<std::string>{"probe"}));
    EXPECT_EQ(Args::parse({"read", "3", "--serial", "ttyS1"}).value("serial"), "ttyS1");
    EXPECT_EQ(parseLinkOptions(Args::parse({"load-all", "--usb", "/dev/pts/4"})).usbDevice, "/dev/pts/4");
    EXPECT_FALSE(Args::parse({"--usb"}).missingValue());
}

TEST(Args, DashHIsHelp) {
    EXPECT_TRUE(Args::parse({"-h"}).flag("help"));
    EXPECT_TRUE(Args::parse({"probe", "-h"}).flag("help"));
    EXPECT_EQ(Args::parse({"--", "-h"}).positional, (std::vector<std::string>{"-h"}));
}

TEST(Args, NumbersUseAPointWhateverTheLocale) {
    const char* old = std::setlocale(LC_ALL, nullptr);
    const std::string saved = old ? old : "C";
    std::setlocale(LC_ALL, "de_DE.UTF-8");  // decimal comma, where the machine has it
    EXPECT_EQ(parseNumber("0.707", "q"), 0.707);
    EXPECT_THROW(parseNumber("0,707", "q"), std::invalid_argument);
    EXPECT_EQ(formatDouble(0.1), "0.10000000000000001");
    std::setlocale(LC_ALL, saved.c_str());
}

TEST(LinkOptions, ChooseOneLink) {
    EXPECT_EQ(parseLinkOptions(Args::parse({"probe"})).kind, LinkKind::USB);
    EXPECT_EQ(parseLinkOptions(Args::parse({"--usb=/dev/ttyUSB1"})).usbDevice, "/dev/ttyUSB1");
    const auto e = parseLinkOptions(Args::parse({"--ethernet=127.0.0.1:1234"}));
    EXPECT_EQ(e.kind, LinkKind::Ethernet);
    EXPECT_EQ(e.host, "127.0.0.1");
    EXPECT_EQ(e.tcpPort, 1234);
    EXPECT_EQ(parseLinkOptions(Args::parse({"--ethernet=unit.local"})).tcpPort, 1001);
    EXPECT_THROW(parseLinkOptions(Args::parse({"--usb", "--offline"})), std::invalid_argument);
    EXPECT_THROW(parseLinkOptions(Args::parse({"--ethernet=h:99999"})), std::invalid_argument);
}

}  // namespace
}  // namespace vela::cli
