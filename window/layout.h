#pragma once

#include <array>

#include "window/command_ids.h"
#include "window/geometry.h"

namespace plinkora {

// Where the keyboard, the two bars and the five transport buttons go in a client area of the
// given size; charWidth and charHeight are the size of "M" in the window's font.
struct WindowLayout {
    int clientWidth = 0;
    int clientHeight = 0;
    int keyboardLeft = 0;
    int keyboardTop = 0;
    Rect forceBar;
    Rect freqBar;
    std::array<Rect, kTransportButtonCount> buttons;  // Record, Finish, Play, Circle play, End
};

WindowLayout ComputeLayout(int clientWidth, int clientHeight, int charWidth, int charHeight);

// What the client area shows besides the fixed-size pictures, in pixels of the window's font.
struct ClientTexts {
    int charWidth;
    int charHeight;
    int widestBarCaption;  // "Force" or "Freq"
    int hintWidth;
};

// The smallest client area in which the layout above keeps the picture, the keyboard, the two
// bars and their captions, the buttons and the two text lines clear of each other.
Size MinimumClientSize(const ClientTexts& texts);

}  // namespace plinkora
