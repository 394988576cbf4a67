// Names from units and files on their way to a terminal or a JSON document.
#include "core/text_display.h"

#include <gtest/gtest.h>

namespace vela {
namespace {

TEST(UnitText, DecodesWindows1252AndShowsControlBytes) {
    EXPECT_EQ(unitText("Caf\xe9 \x80 \x99"), "Caf\xc3\xa9 \xe2\x82\xac \xe2\x84\xa2");
    EXPECT_EQ(unitText("\xa0\xff"), "\xc2\xa0\xc3\xbf");
    // Escape sequences, DEL, bell and the five bytes the code page leaves unassigned.
    EXPECT_EQ(unitText("\x1b[2J\x7f\x07"), "\\x1b[2J\\x7f\\x07");
    EXPECT_EQ(unitText("\x81\x8d\x8f\x90\x9d"), "\\x81\\x8d\\x8f\\x90\\x9d");
    EXPECT_EQ(unitText(std::string("A\0B", 3)), "A\\x00B");
}

TEST(UnitText, ANameFieldLosesOnlyItsTrailingPadding) {
    EXPECT_EQ(unitName(std::string("  Live \0\0 \0", 11)), "  Live");
    EXPECT_EQ(unitName(std::string("\0\0", 2)), "");
    EXPECT_EQ(unitName("M02 Display "), "M02 Display");
}

TEST(DisplayText, KeepsValidUtf8AndEscapesTheRest) {
    EXPECT_EQ(displayText("Caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x94\x8a"), "Caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x94\x8a");
    EXPECT_EQ(displayText("a\xe9z"), "a\\xe9z");                 // Latin-1, not UTF-8
    EXPECT_EQ(displayText("\xc0\xaf"), "\\xc0\\xaf");             // an overlong '/'
    EXPECT_EQ(displayText("\xed\xa0\x80"), "\\xed\\xa0\\x80");    // a surrogate
    EXPECT_EQ(displayText("\xe2\x82"), "\\xe2\\x82");             // cut short
    EXPECT_EQ(displayText("x\x1b]0;t\x07y"), "x\\x1b]0;t\\x07y");
    EXPECT_EQ(displayText("\xc2\x9b"), "\\x9b");                  // the C1 control CSI
}

}  // namespace
}  // namespace vela
