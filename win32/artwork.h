#pragma once

#include <windows.h>

#include <array>

#include "window/colours.h"
#include "window/geometry.h"
#include "window/keyboard_geometry.h"

namespace plinkora {

// The program's pictures, decoded once from the PNG files built into the program. Each is a
// bitmap of its size at 96 dpi; a picture that cannot be decoded is null, and the painting does
// without it.
class Artwork {
  public:
    Artwork();
    ~Artwork();
    Artwork(const Artwork&) = delete;
    Artwork& operator=(const Artwork&) = delete;

    HBITMAP Pictures() const { return pictures_; }  // 15 instrument pictures in a row
    HBITMAP KeyCaps() const { return keyCaps_; }    // released, no shift, up, down
    HBITMAP Toolbar() const { return toolbar_; }    // 15 icons of 32 x 32 on the button face
    HBITMAP Splash() const { return splash_; }
    // A fixed cap's picture by its number, 128..141.
    HBITMAP FixedCap(int resource) const;
    // Pixel (0, 0) of the pictures: the window's background, so the pictures blend into it.
    Rgb Background() const { return background_; }

  private:
    HBITMAP pictures_ = nullptr;
    HBITMAP keyCaps_ = nullptr;
    HBITMAP toolbar_ = nullptr;
    HBITMAP splash_ = nullptr;
    std::array<HBITMAP, 14> fixedCaps_{};
    Rgb background_ = kDefaultBackground;
    ULONG_PTR gdiplusToken_ = 0;
};

// The resource numbers of the pictures (RCDATA, PNG).
inline constexpr int kToolbarResource = 107;
inline constexpr int kPicturesResource = 110;
inline constexpr int kKeyCapsResource = 114;
inline constexpr int kFirstFixedCapResource = 128;
inline constexpr int kSplashResource = 200;

inline COLORREF ToColorRef(Rgb colour) {
    return RGB(colour.red, colour.green, colour.blue);
}

}  // namespace plinkora
