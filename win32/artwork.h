#pragma once

#include <windows.h>

#include <array>

#include "window/colours.h"
#include "window/geometry.h"
#include "window/keyboard_geometry.h"

namespace plinkora {

// The pictures the keyboard view paints, at one pixel density. A picture that cannot be decoded
// is null, and the painting does without it.
struct ViewPictures {
    int density = 1;                      // pixels of the bitmaps per logical pixel: 1 or 2
    HBITMAP pictures = nullptr;           // 15 instrument pictures in a row
    HBITMAP keyCaps = nullptr;            // released, no shift, up, down
    std::array<HBITMAP, 14> fixedCaps{};  // by picture number from 128

    HBITMAP FixedCap(int resource) const;
};

// The program's pictures, decoded once from the PNG files built into the program: the view's
// and the toolbar's at 96 dpi and at double density, the splash at 96 dpi.
class Artwork {
  public:
    Artwork();
    ~Artwork();
    Artwork(const Artwork&) = delete;
    Artwork& operator=(const Artwork&) = delete;

    // The pictures that suit a view drawn this many device pixels per logical pixel.
    const ViewPictures& ForScale(double scale) const;
    // 15 icons of 32 x 32 logical pixels on the button face, at density 1 or 2.
    HBITMAP Toolbar(int density) const {
        return density == 2 && toolbar2x_ ? toolbar2x_ : toolbar_;
    }
    HBITMAP Splash() const { return splash_; }
    // The 200 x 200 picture to be drawn this many device pixels per logical pixel: from 120 dpi
    // the double-density one.
    HBITMAP Splash(double scale) const;
    // Pixel (0, 0) of the pictures: the window's background, so the pictures blend into it.
    Rgb Background() const { return background_; }

  private:
    ViewPictures single_;
    ViewPictures twice_;
    HBITMAP toolbar_ = nullptr;
    HBITMAP toolbar2x_ = nullptr;
    HBITMAP splash_ = nullptr;
    HBITMAP splash2x_ = nullptr;
    Rgb background_ = kDefaultBackground;
    ULONG_PTR gdiplusToken_ = 0;
};

// The resource numbers of the pictures (RCDATA, PNG); the double-density ones are 1000 higher.
inline constexpr int kToolbarResource = 107;
inline constexpr int kPicturesResource = 110;
inline constexpr int kKeyCapsResource = 114;
inline constexpr int kFirstFixedCapResource = 128;
inline constexpr int kSplashResource = 200;
inline constexpr int kDoubleDensityOffset = 1000;
inline constexpr double kDoubleDensityFrom = 1.25;  // 120 dpi

inline COLORREF ToColorRef(Rgb colour) {
    return RGB(colour.red, colour.green, colour.blue);
}

}  // namespace plinkora
