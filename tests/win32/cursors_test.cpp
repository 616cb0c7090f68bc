#include "win32/cursors.h"

#include <gtest/gtest.h>

#include "win32/resource_ids.h"

namespace plinkora {
namespace {

struct CursorShape {
    LONG width = 0;
    DWORD hotX = 0;
    DWORD hotY = 0;
};

CursorShape ShapeOf(HCURSOR cursor) {
    ICONINFO info{};
    if (!GetIconInfo(cursor, &info)) {
        return {};
    }
    BITMAP mask{};
    GetObjectW(info.hbmMask, sizeof mask, &mask);
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor);
    return {mask.bmWidth, info.xHotspot, info.yHotspot};
}

// The open hand as the Linux program shows it: 32 pixels with the hot spot (7, 8) at 96 dpi, the
// 64-pixel picture with (14, 16) at 192 dpi, and in proportion between.
TEST(Win32ProgramCursor, TheOpenHandGrowsWithTheResolutionAndKeepsItsHotSpot) {
    ProgramCursor openHand(IDR_OPEN_HAND_CURSOR);
    const CursorShape at96 = ShapeOf(openHand.ForDpi(96));
    EXPECT_EQ(at96.width, 32);
    EXPECT_EQ(at96.hotX, 7u);
    EXPECT_EQ(at96.hotY, 8u);
    const CursorShape at192 = ShapeOf(openHand.ForDpi(192));
    EXPECT_EQ(at192.width, 64);
    EXPECT_EQ(at192.hotX, 14u);
    EXPECT_EQ(at192.hotY, 16u);
    const CursorShape at144 = ShapeOf(openHand.ForDpi(144));
    EXPECT_EQ(at144.width, 48);
    EXPECT_NEAR(double(at144.hotX), 10.5, 1.0);
    EXPECT_NEAR(double(at144.hotY), 12.0, 1.0);
}

TEST(Win32ProgramCursor, AMissingCursorFallsBackToTheSystemsHand) {
    ProgramCursor missing(9999);
    EXPECT_EQ(missing.ForDpi(96), LoadCursorW(nullptr, IDC_HAND));
}

}  // namespace
}  // namespace plinkora
