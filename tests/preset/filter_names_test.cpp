#include "preset/filter_names.h"

#include "dsp/filter_types.h"

#include <gtest/gtest.h>
#include <stdexcept>

namespace vela {
namespace {

TEST(FilterNames, WhatShowPrintsIsWhatSetAccepts) {
    for (const auto& entry : dsp::kFilterList) {
        const std::string text = filterTypeText(entry.code);  // "Parametric Q const (17)"
        const std::string name = text.substr(0, text.rfind(" ("));
        EXPECT_EQ(filterTypeCode("t", name), entry.code) << text;
        EXPECT_EQ(filterTypeCode("t", std::to_string(entry.code)), entry.code) << text;
    }
    for (std::uint8_t code = 0; code <= 8; ++code) {
        const std::string text = alignmentText(code);
        EXPECT_EQ(alignmentCode("a", text.substr(0, text.rfind(" ("))), code) << text;
    }
}

TEST(FilterNames, CaseAndBlanksDoNotMatter) {
    EXPECT_EQ(filterTypeCode("t", "parametricqconst"), dsp::kCodeParametricConstant);
    EXPECT_EQ(filterTypeCode("t", " SHELV high 12dB + q"), dsp::kCodeHighShelf12Q);
    EXPECT_EQ(alignmentCode("a", "l-riley HIGH-pass"), 4);
}

TEST(FilterNames, RefusalsNameTheChoices) {
    // 12 is a stored code without a place in the equaliser's list; list indexes are not codes.
    EXPECT_THROW(filterTypeCode("eq.1.1.type", "12"), std::invalid_argument);
    EXPECT_THROW(filterTypeCode("eq.1.1.type", "Parametric"), std::invalid_argument);
    EXPECT_THROW(alignmentCode("a", "9"), std::invalid_argument);
    try {
        alignmentCode("--alignment", "Linkwitz");
        FAIL();
    } catch (const std::invalid_argument& e) {
        EXPECT_NE(std::string(e.what()).find("\"Bessel high-pass\""), std::string::npos) << e.what();
    }
}

TEST(FilterNames, AnEdgeTakesOnlyItsOwnAlignments) {
    // The window's short names stand for the edge's own alignment.
    EXPECT_EQ(alignmentCodeForEdge("x", "ButtW", true), 1);
    EXPECT_EQ(alignmentCodeForEdge("x", "ButtW", false), 2);
    EXPECT_EQ(alignmentCodeForEdge("x", "custom", false), 8);
    EXPECT_EQ(alignmentCodeForEdge("x", "0", true), 0);
    EXPECT_EQ(alignmentCodeForEdge("x", "Bessel low-pass", true), 5);
    EXPECT_THROW(alignmentCodeForEdge("x", "5", false), std::invalid_argument);
    EXPECT_THROW(alignmentCodeForEdge("x", "L-Riley high-pass", true), std::invalid_argument);
}

}  // namespace
}  // namespace vela
