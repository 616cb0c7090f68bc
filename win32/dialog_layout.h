#pragma once

#include <windows.h>

#include <initializer_list>

#include "window/geometry.h"

namespace plinkora {

// A control's place in a dialog, in pixels at 96 dpi.
struct ControlPlace {
    int id;
    Rect place;
};

// Lays a dialog out in pixels as the Linux program lays out the same box, scaled to the dialog's
// resolution as the main window is: the client area gets the size given, every control its
// place, and the box is centred over its owner again.
void LayOutInPixels(HWND box, Size client, std::initializer_list<ControlPlace> places);

// Pixels at 96 dpi to the dialog's own.
int ScaledToDialog(HWND box, int pixels);

}  // namespace plinkora
