#include "window/keyboard_geometry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <utility>
#include <vector>

#include "engine/key_table.h"
#include "window/layout.h"

namespace plinkora {
namespace {

TEST(KeyboardGeometry, FindsTheCapUnderAPointAndNothingBetweenTheCaps) {
    // "1", the right edge of "=", Q, A and the bottom right corner of "/".
    EXPECT_EQ(HitKey(0, 0), 2);
    EXPECT_EQ(HitKey(455, 38), 13);
    EXPECT_EQ(HitKey(19, 39), 16);
    EXPECT_EQ(HitKey(29, 78), 30);
    EXPECT_EQ(HitKey(427, 155), 53);
    std::vector<Point> misses = {{475, 0}, {475, 39},  {475, 78}, {475, 117}, {475, 155},
                                 {0, 156}, {300, 156}, {-1, 10},  {10, -1}};
    for (int rx = 0; rx < 20; ++rx) {
        misses.insert(misses.end(), {Point{456 + rx, 10}, Point{std::min(rx, 18), 50}});
    }
    for (Point at : misses) {
        EXPECT_EQ(HitKey(at.x, at.y), std::nullopt) << at.x << "," << at.y;
    }
}

// A click plays the key whose cap is drawn under it: every pixel of the playing rows hits the
// cap that covers it, and a pixel no cap covers hits nothing.
TEST(KeyboardGeometry, TheCapsDrawnAreTheCapsHit) {
    const Point origin{0, 0};
    int caps = 0;
    for (int i = 0; i < kKeyTableSize; ++i) {
        caps += CapRect(origin, i).Empty() ? 0 : 1;
    }
    EXPECT_EQ(caps, 45);
    for (int ry = -1; ry <= kPlayingRowsHeight; ++ry) {
        for (int rx = -1; rx <= kHitAreaWidth; ++rx) {
            std::optional<int> covering;
            for (int i = 0; i < kKeyTableSize && !covering; ++i) {
                if (CapRect(origin, i).Contains({rx, ry})) {
                    covering = i;
                }
            }
            ASSERT_EQ(HitKey(rx, ry), covering) << rx << "," << ry;
        }
    }
}

TEST(KeyboardGeometry, OnlyPlayingKeysHaveACapAndCapsMoveWithTheOrigin) {
    for (const int index :
         {-1, 0x01, 0x0E, 0x0F, 0x1C, 0x1D, 0x29, 0x2A, 0x2B, kKeyTableSize, 1000}) {
        EXPECT_TRUE(CapRect({100, 50}, index).Empty()) << index;
    }
    EXPECT_EQ(CapRect({100, 50}, 0x02), (Rect{100, 50, kCapWidth, kCapHeight}));
    EXPECT_EQ(CapRect({100, 50}, 0x1E), (Rect{129, 128, kCapWidth, kCapHeight}));
}

// Each row of the drawn keyboard runs from one cap left of "1" to its right edge, without a
// gap or an overlap between its playing and fixed caps.
TEST(KeyboardGeometry, FixedCapsCloseEveryRow) {
    std::map<int, std::vector<std::pair<int, int>>> rows;  // top: left and right of each cap
    for (int i = 0; i < kKeyTableSize; ++i) {
        const Rect cap = CapRect({0, 0}, i);
        if (!cap.Empty()) {
            rows[cap.top].emplace_back(cap.left, cap.Right());
        }
    }
    for (const FixedCapPlace& place : kFixedCapPlaces) {
        rows[place.y].emplace_back(place.x, place.x + place.width);
    }
    ASSERT_EQ(rows.size(), 5u);
    for (auto& [top, caps] : rows) {
        SCOPED_TRACE(top);
        EXPECT_EQ(top % kCapHeight, 0);
        std::sort(caps.begin(), caps.end());
        int reached = -kCapWidth;
        for (const auto& [left, right] : caps) {
            EXPECT_EQ(left, reached);
            reached = right;
        }
        EXPECT_EQ(reached, kKeyboardWidth - kCapWidth);
    }
}

// The view's tests place the keyboard with KeyboardOrigin; the window places it by its layout.
TEST(KeyboardGeometry, TheOriginIsWhereTheWindowLayoutPutsTheKeyboard) {
    for (const Size client : {Size{800, 600}, Size{569, 400}, Size{1920, 1080}, Size{601, 333}}) {
        for (const int charHeight : {13, 16, 25}) {
            const WindowLayout layout = ComputeLayout(client.width, client.height, 8, charHeight);
            EXPECT_EQ(KeyboardOrigin(client, charHeight),
                      (Point{layout.keyboardLeft, layout.keyboardTop}))
                << client.width << "x" << client.height << ", " << charHeight;
        }
    }
}

}  // namespace
}  // namespace plinkora
