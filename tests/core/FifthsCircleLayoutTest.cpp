// The circle of fifths' geometry and colours, apart from GDI.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>

#include "ui/FifthsCircleLayout.h"

namespace {

TEST(FifthsCircleLayout, theCircleFitsAboveTheLegendWithItsRingsInOrder) {
    constexpr std::array<int, 3> kSizes[] = {{262, 287, 12}, {524, 574, 24}, {400, 200, 12}};  // width, height, text
    for (const auto& [width, height, text] : kSizes) {
        SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
        const FifthsCircleLayout layout = layOutFifthsCircle(width, height, text);
        // A label reaches about a text height beyond its centre.
        EXPECT_LE(layout.labelRadius + text, std::min(layout.centre.x, layout.centre.y) + 1.5 * text);
        EXPECT_LE(layout.legendTop + 2 * layout.lineHeight, height + 0.01);
        EXPECT_LT(layout.pureThirdRadius, layout.equalThirdRadius);
        EXPECT_LT(layout.outerRadius, layout.noteRadius);
    }
    const FifthsCircleLayout layout = layOutFifthsCircle(262, 287, 12);
    EXPECT_NEAR(layout.equalThirdRadius, thirdMarkRadius(layout, 13.686), 1e-9);
    EXPECT_DOUBLE_EQ(layout.outerRadius, thirdMarkRadius(layout, 41.059));  // meantone's diminished fourth
    // C at the top, G 30 degrees clockwise.
    EXPECT_NEAR(layout.centre.y - 100, pointOnCircle(layout, 100, circlePosition(0)).y, 1e-9);
    EXPECT_NEAR(layout.centre.x + 50, pointOnCircle(layout, 100, circlePosition(7)).x, 1e-9);
}

TEST(FifthsCircleLayout, pureNarrowAndWideFifthsHaveTheirOwnColours) {
    const struct {
        double cents;
        const char* looks;  // the leading channel
    } rows[] = {{0.0, "green"}, {0.05, "green"}, {-0.06, "blue"}, {-5.865, "blue"}, {0.06, "red"}, {35.7, "red"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.cents);
        const Rgb c = fifthColour(row.cents);
        EXPECT_STREQ(row.looks, c.green > c.red && c.green > c.blue ? "green" : c.blue > c.red ? "blue" : "red");
    }
    EXPECT_LT(fifthColour(-5.865).red, fifthColour(-1.955).red);  // deeper when tempered more
    EXPECT_EQ((Rgb{200, 20, 20}), thirdColour(21.506));
}

}  // namespace
