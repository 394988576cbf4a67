#include "update/download_progress.h"
#include "update/version_check.h"

#include <gtest/gtest.h>

namespace vela {
namespace {

TEST(VersionCheck, TheBodiesOfTheCheck) {
    for (const char* body : {"1.9.0.0", "1.8.5.3", "0.99.0.0", "1.9.0.0\r\n", "1.8"}) {
        const auto v = compareWithOwnVersion(body);
        EXPECT_TRUE(v.valid()) << body << ": " << v.error;
        EXPECT_FALSE(v.newer) << body;
    }
    for (const char* body : {"1.9.0.1", "1.9.1.0", "1.10.0.0", "2.0.0.0", "1.9.0.1\n", "2", "2.x"}) {
        const auto v = compareWithOwnVersion(body);
        EXPECT_TRUE(v.valid()) << body << ": " << v.error;
        EXPECT_TRUE(v.newer) << body;
    }
}

TEST(VersionCheck, TheBuildFieldEndsAtPositionTwelve) {
    const auto f = parseVersionText("1.9.0.12345678");
    EXPECT_EQ(f.major, "1");
    EXPECT_EQ(f.minor, "9");
    EXPECT_EQ(f.release, "0");
    EXPECT_EQ(f.build, "123456");
    EXPECT_TRUE(compareWithOwnVersion("1.9.0.12345678").newer);
    // Dots after the third are part of the build.
    EXPECT_EQ(parseVersionText("1.9.0.1.2").build, "1.2");
    // A build that would start after position 12 is empty.
    EXPECT_EQ(parseVersionText("1.9.0000000000.5").build, "");
}

TEST(VersionCheck, FewerThanThreeDotsStopsAtTheEnd) {
    EXPECT_EQ(parseVersionText("1.9").release, std::nullopt);
    EXPECT_EQ(parseVersionText("1.9").minor, "9");
    EXPECT_EQ(parseVersionText("7").minor, std::nullopt);

    const auto noRelease = compareWithOwnVersion("1.9");
    EXPECT_FALSE(noRelease.valid());
    EXPECT_FALSE(noRelease.newer);
    EXPECT_EQ(noRelease.error, "The version text of the update server, \"1.9\", has no release field");
    EXPECT_EQ(compareWithOwnVersion("1.9.0").error, "The version text of the update server, \"1.9.0\", has no build field");
    EXPECT_EQ(compareWithOwnVersion("1").error, "The version text of the update server, \"1\", has no minor field");
}

TEST(VersionCheck, ANonNumericFieldIsAClearError) {
    const auto v = compareWithOwnVersion("1.x.0.0");
    EXPECT_FALSE(v.valid());
    EXPECT_FALSE(v.newer);
    EXPECT_EQ(v.error, "The version text of the update server, \"1.x.0.0\", is not valid: its minor field \"x\" is not a "
                       "whole number");
    EXPECT_FALSE(compareWithOwnVersion("").valid());
    EXPECT_FALSE(compareWithOwnVersion("<html>404</html>").valid());
    EXPECT_FALSE(compareWithOwnVersion("1.9.0. 1").valid());
    EXPECT_FALSE(compareWithOwnVersion("99999999999999999999.0.0.0").valid());
    // Whatever the server sends, the message shows it printable and short.
    const auto binary = compareWithOwnVersion(std::string("\x01\x02.9.0.0", 8) + std::string(100, 'z'));
    EXPECT_EQ(binary.error.find('\x01'), std::string::npos);
    EXPECT_LT(binary.error.size(), 160u);
}

TEST(DownloadProgress, OneSignificantDigitWithTwoDecimals) {
    EXPECT_EQ(oneDigitText(2.37), "2.00");
    EXPECT_EQ(oneDigitText(0.53), "0.50");
    EXPECT_EQ(oneDigitText(0.04), "0.04");
    EXPECT_EQ(oneDigitText(0.001), "0.00");
    EXPECT_EQ(oneDigitText(0.0), "0.00");
    EXPECT_EQ(oneDigitText(9.4), "9.00");
    EXPECT_EQ(oneDigitText(9.6), "1E+01");
    EXPECT_EQ(oneDigitText(12.3), "1E+01");
    EXPECT_EQ(oneDigitText(150.0), "2E+02");
    EXPECT_EQ(downloadProgressText(530000, 2370000), "Downloading Update:  0.50Mb  -->  2.00Mb");
}

}  // namespace
}  // namespace vela
