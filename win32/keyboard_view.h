#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>

#include "engine/key_table.h"
#include "engine/performance.h"
#include "window/geometry.h"

namespace plinkora {

class Artwork;
struct ViewPictures;

// Paints the client area below the toolbar: the instrument's picture with its caption, the
// keyboard with every cap labelled, the status and hint lines and the bars' captions. It paints
// in the window's logical pixels (96 per inch); the window's mapping mode scales them to the
// screen.
class KeyboardView final : public KeyCapPainter {
  public:
    KeyboardView(const Performance& performance, const Artwork& artwork, HFONT windowFont,
                 Size charSize);
    ~KeyboardView() override;
    KeyboardView(const KeyboardView&) = delete;
    KeyboardView& operator=(const KeyboardView&) = delete;

    // The area in logical pixels and where the key "1" goes in it.
    void SetArea(Size logicalSize, Point keyboardOrigin);
    Size LogicalSize() const { return size_; }
    Point Origin() const { return origin_; }
    // Called whenever the look of the area changes, with the logical rectangle to paint again.
    void SetInvalidate(void (*invalidate)(void* context, const Rect& area), void* context);
    // Called after a playing key was pressed or released, live or by a playback.
    void SetKeyChanged(std::function<void(int keyIndex)> keyChanged) {
        keyChanged_ = std::move(keyChanged);
    }
    // Paints in logical pixels; the context's mapping mode takes them to the screen's.
    void Paint(HDC dc, const ViewPictures& pictures) const;
    // Every cap shows its key released, and everything is painted again.
    void ResetCaps();

    void DrawKeyCap(int keyIndex, bool pressed, bool fromPlayback, int32_t shift) override;

  private:
    void PaintPicture(HDC dc, HDC images, const ViewPictures& pictures) const;
    void PaintCap(HDC dc, HDC images, const ViewPictures& pictures, int keyIndex) const;
    void PaintFixedCaps(HDC dc, HDC images, const ViewPictures& pictures) const;
    void PaintTexts(HDC dc) const;
    void DrawOpaqueText(HDC dc, Point topLeft, const std::string& text) const;

    const Performance& performance_;
    const Artwork& artwork_;
    HFONT windowFont_;
    HFONT labelFont_;
    Size charSize_;
    Size size_;
    Point origin_;
    std::array<int8_t, kKeyTableSize> capShown_{};  // the image each cap shows
    void (*invalidate_)(void*, const Rect&) = nullptr;
    void* invalidateContext_ = nullptr;
    std::function<void(int)> keyChanged_;
};

}  // namespace plinkora
