// The DSP operating system: its text, the image built from it, and its transfer.
#include "link/dsp_update.h"
#include "protocol/sim_harness.h"

#include <gtest/gtest.h>

namespace vela::test {
namespace {

std::string textOf(std::size_t lines, std::string_view line) {
    std::string t;
    for (std::size_t i = 0; i < lines; ++i) (t += line) += "\n";
    return t;
}

TEST(FirmwareText, BuiltInHas1536LinesWithTheKnownRowsAndSaysItIsAStandIn) {
    const std::string_view text = builtInFirmwareText();
    EXPECT_TRUE(isStandInFirmware(text));
    const auto lines = firmwareTextLines(text);
    ASSERT_EQ(lines.size(), kFirmwareLineCount);
    EXPECT_EQ(lines[0].text, "0x00, 0x00, 0x00, 0x00, 0x01, ");
    EXPECT_EQ(lines[1].text, "0x00, 0x00, 0x00, 0xE8, 0x01, ");
    EXPECT_EQ(lines[2].text, "0x00, 0x00, 0x00, 0x00, 0x01, ");
    EXPECT_EQ(lines[3].text, "0x00, 0x08, 0x00, 0xE8, 0x01, ");
    for (std::size_t l = 1279; l < 1536; ++l) EXPECT_EQ(lines[l].text, "0x00, 0x00, 0x00, 0x00, 0x01, ") << l + 1;
}

TEST(FirmwareImage, ConvertsEveryLineButTheLast) {
    std::string error;
    const auto image = firmwareImageFromText(builtInFirmwareText(), error);
    ASSERT_TRUE(image) << error;
    EXPECT_EQ(Bytes(image->begin(), image->begin() + 10), (Bytes{0, 0, 0, 0, 1, 0, 0, 0, 0xE8, 1}));
    EXPECT_EQ(Bytes(image->end() - 10, image->end()), (Bytes{0, 0, 0, 0, 1, 0, 0, 0, 0, 0}));
}

TEST(FirmwareImage, ReadsDigitsOfEitherCaseAndRefusesAnythingElseNamingTheLine) {
    const std::vector<FirmwareTextLine> good = {{1, "0xab, 0xCD, 0x10, 0x0f, 0x7A, "}, {2, "0x00"}};
    std::string error;
    const auto image = buildFirmwareImage(good, error);
    ASSERT_TRUE(image) << error;
    EXPECT_EQ(Bytes(image->begin(), image->begin() + 6), (Bytes{0xAB, 0xCD, 0x10, 0x0F, 0x7A, 0x00}));

    for (const std::string_view bad : {"0xab, 0xCD, 0x1G, 0x00, 0x00, ", "0x00, 0x00, 0x00, 0x00, 0x7", "0x 0"}) {
        std::string text = "# a remark\n";
        for (std::size_t l = 1; l <= kFirmwareLineCount; ++l) (text += l == 7 ? bad : "0x00, 0x00, 0x00, 0x00, 0x01, ") += "\n";
        EXPECT_FALSE(firmwareImageFromText(text, error)) << bad;
        EXPECT_NE(error.find("line 8:"), std::string::npos) << error;  // the remark counts as a line
    }
}

TEST(FirmwareImage, RefusesATextWithAnotherLineCount) {
    std::string error;
    EXPECT_FALSE(firmwareImageFromText(textOf(1535, "0x00, 0x00, 0x00, 0x00, 0x01, "), error));
    EXPECT_NE(error.find("1535"), std::string::npos);
    // Windows line ends and a missing final newline are the same text.
    std::string crlf = textOf(1536, "0x12, 0x00, 0x00, 0x00, 0x01, \r");
    crlf.pop_back();
    const auto image = firmwareImageFromText(crlf, error);
    ASSERT_TRUE(image);
    EXPECT_EQ((*image)[0], 0x12);
    EXPECT_FALSE(isStandInFirmware(crlf));
}

TEST(DspUpdate, Writes120BlocksAsProgram15ThenResets) {
    SimHarness h(Channel::Usb);
    std::string error;
    const auto firmware = firmwareImageFromText(builtInFirmwareText(), error);
    ASSERT_TRUE(firmware);
    ASSERT_TRUE(UpdateDspOperatingSystem(*h.link, h.image, *firmware));
    const auto records = h.records();
    ASSERT_EQ(records.size(), 2u);
    const auto& os = records[0];
    EXPECT_EQ(os.host, hostBytesOf(1, 15, Bytes(firmware->begin(), firmware->end())));
    EXPECT_EQ(os.unit.size(), 4u + 120 + 1);  // 120 full blocks, no remainder
    EXPECT_EQ(records[1].host, hostBytesOf(8, 0, {}));
    EXPECT_EQ(h.unit->firmware(), Bytes(firmware->begin(), firmware->end()));
    EXPECT_EQ(h.unit->status().resets, 1);
    EXPECT_EQ(h.ui.gaugePositionOf(Gauge::ProgressBar), 100);
    EXPECT_FALSE(h.link->usb.isOpen());
}

TEST(DspUpdate, StopsWithoutTheResetWhenTheImageFails) {
    sim::SimOptions o;
    o.faults = {{sim::SimFault::Kind::End, 1}};
    SimHarness h(Channel::Usb, o);
    EXPECT_FALSE(UpdateDspOperatingSystem(*h.link, h.image, FirmwareImage{}));
    EXPECT_EQ(h.records().size(), 1u);
    EXPECT_EQ(h.unit->status().resets, 0);
    EXPECT_FALSE(h.link->usb.isOpen());
}

}  // namespace
}  // namespace vela::test
