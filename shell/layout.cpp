#include "shell/layout.h"

namespace plinkora {

namespace {

constexpr int kKeyboardWidth = 570;
constexpr int kKeyCapWidth = 38;
constexpr int kBarWidth = 18;
// The lowest key row starts 117 pixels down and the keyboard picture is 78 high.
constexpr int kBarHeight = 117 + 78;
// Button offsets from the middle, in character widths: a row of 38 with gaps of two.
constexpr std::array<int, kTransportButtonCount> kButtonOffsets = {-19, -11, -3, 5, 13};

}  // namespace

WindowLayout ComputeLayout(int cx, int cy, int charWidth, int charHeight) {
    WindowLayout layout;
    layout.clientWidth = cx;
    layout.clientHeight = cy;
    layout.keyboardLeft = (cx - kKeyboardWidth) / 2 + kKeyCapWidth;
    layout.keyboardTop = (cy - 156) / 2 + charHeight;
    layout.forceBar = QRect(cx * 18 / 20, layout.keyboardTop, kBarWidth, kBarHeight);
    layout.freqBar = QRect(cx * 19 / 20, layout.keyboardTop, kBarWidth, kBarHeight);
    const int buttonTop = cy * 8 / 10;
    for (int i = 0; i < kTransportButtonCount; ++i) {
        layout.buttons[i] = QRect(cx / 2 + kButtonOffsets[i] * charWidth, buttonTop, 6 * charWidth,
                                  7 * charHeight / 4);
    }
    return layout;
}

}  // namespace plinkora
