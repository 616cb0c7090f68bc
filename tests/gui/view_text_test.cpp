#include <gtest/gtest.h>

#include "view/text_drawing.h"

namespace plinkora::testing {
namespace {

TEST(FontByPoints, SizeFollowsTheResolutionAndAttributeBitsApply) {
    EXPECT_EQ(FontPixelHeight(120, 96), 16);
    EXPECT_EQ(FontPixelHeight(140, 96), 19);
    EXPECT_EQ(FontPixelHeight(120, 120), 20);
    EXPECT_EQ(FontPixelHeight(140, 120), 23);
    EXPECT_EQ(CreateFontByPoints(120, kTextFace, 140, 0).pixelSize(), 23);
    // Height 0 is the default size, whatever the resolution.
    EXPECT_EQ(CreateFontByPoints(144, kTextFace, 0, 0).pixelSize(), kDefaultFontPixels);

    const QFont plain = CreateFontByPoints(96, kTextFace, 120, 0);
    EXPECT_FALSE(plain.bold() || plain.italic() || plain.underline() || plain.strikeOut());
    const QFont all = CreateFontByPoints(96, kTextFace, 120, 15);
    EXPECT_TRUE(all.bold() && all.italic() && all.underline() && all.strikeOut());
}

}  // namespace
}  // namespace plinkora::testing
