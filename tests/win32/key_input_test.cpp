#include <gtest/gtest.h>

#include <vector>

#include "win32/key_input.h"
#include "window/bar_keys.h"

namespace plinkora {
namespace {

// Key data as Windows builds it: scan code in bits 16-23, extended in 24, repeat in 30.
LPARAM KeyData(uint32_t scanCode, bool extended = false, bool repeat = false) {
    return LPARAM((scanCode << 16) | (extended ? 1u << 24 : 0) | (repeat ? 1u << 30 : 0) | 1);
}

TEST(KeyStrokeOf, TakesTheScanCodeAndMarksRepeats) {
    const std::optional<KeyStroke> first = KeyStrokeOf(true, KeyData(0x1E));
    ASSERT_TRUE(first);
    EXPECT_EQ(first->scanCode, 0x1Eu);
    EXPECT_TRUE(first->down);
    EXPECT_FALSE(first->repeat);
    EXPECT_TRUE(KeyStrokeOf(true, KeyData(0x1E, false, true))->repeat);
    // A release carries the previous-state bit too; it is no repeat.
    EXPECT_FALSE(KeyStrokeOf(false, KeyData(0x1E, false, true))->repeat);
}

TEST(KeyStrokeOf, ExtendedKeysStayApartFromTheKeypad) {
    EXPECT_EQ(KeyStrokeOf(true, KeyData(0x4D, true))->scanCode, kRightArrowKey);
    EXPECT_EQ(KeyStrokeOf(true, KeyData(0x4D))->scanCode, 0x4Du);  // keypad 6
    // The keypad's divide plays as "/" does.
    EXPECT_EQ(KeyStrokeOf(true, KeyData(0x35, true))->scanCode, 0x35u);
}

TEST(KeyStrokeOf, AKeyWithoutScanCodeIsNone) {
    EXPECT_FALSE(KeyStrokeOf(true, 1));
}

TEST(HeldKeys, PassesOnlyReleasesOfKeysItPressed) {
    std::vector<KeyStroke> heard;
    HeldKeys keys([&heard](const KeyStroke& key) { heard.push_back(key); });
    keys.Handle(KeyRelease(0x1F));  // went down with Alt, or in another window
    keys.Handle(KeyPress(0x1E));
    keys.Handle(KeyRelease(0x1E));
    ASSERT_EQ(heard.size(), 2u);
    EXPECT_TRUE(heard[0].down);
    EXPECT_FALSE(heard[1].down);
}

TEST(HeldKeys, ReleaseAllEndsEveryHeldKeyOnce) {
    std::vector<KeyStroke> heard;
    HeldKeys keys([&heard](const KeyStroke& key) { heard.push_back(key); });
    keys.Handle(KeyPress(0x1E));
    keys.Handle(KeyPress(0x1E, true));
    keys.Handle(KeyPress(0x1F));
    heard.clear();
    keys.ReleaseAll();
    keys.ReleaseAll();
    ASSERT_EQ(heard.size(), 2u);
    EXPECT_FALSE(heard[0].down);
    EXPECT_FALSE(heard[1].down);
    keys.Handle(KeyRelease(0x1E));  // its own release, after the window gave it up
    EXPECT_EQ(heard.size(), 2u);
}

}  // namespace
}  // namespace plinkora
