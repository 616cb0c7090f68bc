#include "win32/text_drawing.h"

#include <gtest/gtest.h>

namespace plinkora {
namespace {

TEST(Win32FontPixelHeight, FollowsTheClassicArithmeticAndScalesTheDefault) {
    EXPECT_EQ(FontPixelHeight(120, 96), 16);
    EXPECT_EQ(FontPixelHeight(140, 96), 19);  // 186.67 tenths, truncated first
    EXPECT_EQ(FontPixelHeight(120, 120), 20);
    EXPECT_EQ(FontPixelHeight(140, 120), 23);
    EXPECT_EQ(FontPixelHeight(0, 96), 16);
    EXPECT_EQ(FontPixelHeight(0, 192), 32);
}

TEST(Win32CreateFontByPoints, MakesTheFaceWithItsAttributes) {
    HFONT font = CreateFontByPoints(96, kTextFace, 140, kFontBold | kFontUnderline);
    LOGFONTW made{};
    GetObjectW(font, sizeof made, &made);
    DeleteObject(font);
    EXPECT_EQ(std::wstring(made.lfFaceName), L"Times New Roman");
    EXPECT_EQ(made.lfHeight, -19);
    EXPECT_EQ(made.lfWeight, FW_BOLD);
    EXPECT_TRUE(made.lfUnderline);
    EXPECT_FALSE(made.lfItalic);
}

}  // namespace
}  // namespace plinkora
