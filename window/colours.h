#pragma once

#include "window/geometry.h"

namespace plinkora {

// The colours of the main window, the same in every front end.

// The window's background is pixel (0, 0) of the instrument pictures, so that the pictures
// blend into it; this one stands in when the pictures cannot be loaded.
inline constexpr Rgb kDefaultBackground{20, 100, 20};
// A cap whose picture cannot be loaded is drawn plain in this colour.
inline constexpr Rgb kPlainCapColour{240, 240, 245};

// The status, hint and instrument lines and the captions of the bars.
inline constexpr Rgb kTextColour{255, 0, 0};

// The note on a playing cap and its octave dots.
inline constexpr Rgb kCapLabelColour{0, 0, 0};
// A layout's letters, dark as the letters printed on the artwork's caps.
inline constexpr Rgb kLegendColour{38, 38, 49};
// A fixed cap's face is repainted, top to bottom in this shade, before it gets the layout's
// letters: it matches the face of the picture it covers.
inline constexpr Rgb kCapFaceTop{0xef, 0xef, 0xf4};
inline constexpr Rgb kCapFaceBottom{0xda, 0xda, 0xe3};

}  // namespace plinkora
