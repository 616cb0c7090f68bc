#pragma once

#include <QRect>
#include <array>

#include "shell/command_ids.h"

namespace plinkora {

// Where the keyboard, the two bars and the five transport buttons go in a client area of the
// given size; charWidth and charHeight are the size of "M" in the window's font.
struct WindowLayout {
    int clientWidth = 0;
    int clientHeight = 0;
    int keyboardLeft = 0;
    int keyboardTop = 0;
    QRect forceBar;
    QRect freqBar;
    std::array<QRect, kTransportButtonCount> buttons;  // Record, Finish, Play, Circle play, End
};

WindowLayout ComputeLayout(int clientWidth, int clientHeight, int charWidth, int charHeight);

}  // namespace plinkora
