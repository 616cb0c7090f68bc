#include "window/layout.h"

#include <algorithm>

#include "window/keyboard_geometry.h"

namespace plinkora {

namespace {

constexpr int kBarWidth = 18;
// The lowest key row starts 117 pixels down and the keyboard picture is 78 high.
constexpr int kBarHeight = 117 + 78;
// Button offsets from the middle, in character widths: a row of 38 with gaps of two.
constexpr std::array<int, kTransportButtonCount> kButtonOffsets = {-19, -11, -3, 5, 13};

constexpr int kPictureBottom = 173;  // the picture ends there when the keyboard starts there
constexpr int kGap = 4;

// The least n for which numerator * n / denominator >= need.
int AtLeast(int need, int numerator, int denominator) {
    return (need * denominator + numerator - 1) / numerator;
}

}  // namespace

Size MinimumClientSize(const ClientTexts& t) {
    // Across: the bars right of the keyboard (at 9/10 of the width, the keyboard centred), the
    // "Force" caption before "Freq" (1/20 of the width apart), "Freq" before the edge (9/160),
    // the button row and the hint line inside the window.
    const int width = std::max(
        {AtLeast(kKeyboardWidth / 2 + kGap, 4, 10) + 1, 20 * (t.widestBarCaption + kGap),
         AtLeast(t.widestBarCaption, 9, 160), 40 * t.charWidth, t.hintWidth + 2 * t.charWidth});
    // Down: the picture above the keyboard (top at (h - 156) / 2 + charHeight), the captions
    // under it above the buttons (at 8/10 of the height), and the buttons, 7/4 characters high,
    // above the status line four characters from the bottom.
    const int captionsBottom = kBarHeight + 2 * t.charHeight;
    const int height =
        std::max({2 * (kPictureBottom - t.charHeight) + 156 + 1,
                  AtLeast(captionsBottom - 78 + kGap, 3, 10) + 2,
                  AtLeast(4 * t.charHeight + 7 * t.charHeight / 4 + kGap, 2, 10) + 2});
    return {width, height};
}

WindowLayout ComputeLayout(int cx, int cy, int charWidth, int charHeight) {
    WindowLayout layout;
    layout.clientWidth = cx;
    layout.clientHeight = cy;
    layout.keyboardLeft = (cx - kKeyboardWidth) / 2 + kCapWidth;
    layout.keyboardTop = (cy - 156) / 2 + charHeight;
    layout.forceBar = Rect{cx * 18 / 20, layout.keyboardTop, kBarWidth, kBarHeight};
    layout.freqBar = Rect{cx * 19 / 20, layout.keyboardTop, kBarWidth, kBarHeight};
    const int buttonTop = cy * 8 / 10;
    for (int i = 0; i < kTransportButtonCount; ++i) {
        layout.buttons[i] = Rect{cx / 2 + kButtonOffsets[i] * charWidth, buttonTop, 6 * charWidth,
                                 7 * charHeight / 4};
    }
    return layout;
}

}  // namespace plinkora
