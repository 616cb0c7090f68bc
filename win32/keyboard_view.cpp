#include "win32/keyboard_view.h"

#include "engine/sustain_pedal.h"
#include "win32/artwork.h"
#include "win32/text.h"
#include "window/colours.h"
#include "window/keyboard_geometry.h"
#include "window/window_texts.h"

namespace plinkora {

namespace {

// The size of a height of 0, whatever the resolution: 12 points at 96 dpi.
constexpr int kLabelFontPixels = 16;

// Copies part of a picture to a logical place; from is in logical pixels too. Nothing when the
// picture could not be loaded.
void CopyImage(HDC dc, HDC images, HBITMAP bitmap, int density, Rect to, Point from) {
    if (bitmap == nullptr) {
        return;
    }
    SelectObject(images, bitmap);
    StretchBlt(dc, to.left, to.top, to.width, to.height, images, from.x * density, from.y * density,
               to.width * density, to.height * density, SRCCOPY);
}

// Darkens an area towards the blue of a pressed cap.
void Shade(HDC dc, const Rect& area) {
    constexpr Rgb kPressedShade{40, 60, 120};
    constexpr BYTE kOpacity = 90;
    HDC colour = CreateCompatibleDC(dc);
    HBITMAP pixel = CreateCompatibleBitmap(dc, 1, 1);
    HGDIOBJ old = SelectObject(colour, pixel);
    SetPixel(colour, 0, 0, ToColorRef(kPressedShade));
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, kOpacity, 0};
    GdiAlphaBlend(dc, area.left, area.top, area.width, area.height, colour, 0, 0, 1, 1, blend);
    SelectObject(colour, old);
    DeleteObject(pixel);
    DeleteDC(colour);
}

void DrawDot(HDC dc, int centreX, int top) {
    Ellipse(dc, centreX - kDotSize / 2, top, centreX + kDotSize / 2 + 1, top + kDotSize + 1);
}

}  // namespace

KeyboardView::KeyboardView(const Performance& performance, const Artwork& artwork, HFONT windowFont,
                           Size charSize)
    : performance_(performance),
      artwork_(artwork),
      windowFont_(windowFont),
      labelFont_(CreateFontW(-kLabelFontPixels, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                             DEFAULT_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS,
                             ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_ROMAN, L"Times New Roman")),
      charSize_(charSize) {}

KeyboardView::~KeyboardView() {
    DeleteObject(labelFont_);
}

void KeyboardView::SetArea(Size logicalSize, Point keyboardOrigin) {
    size_ = logicalSize;
    origin_ = keyboardOrigin;
}

void KeyboardView::SetInvalidate(void (*invalidate)(void*, const Rect&), void* context) {
    invalidate_ = invalidate;
    invalidateContext_ = context;
}

void KeyboardView::ResetCaps() {
    capShown_.fill(0);
    if (invalidate_ != nullptr) {
        invalidate_(invalidateContext_, Rect{0, 0, size_.width, size_.height});
    }
}

void KeyboardView::DrawKeyCap(int keyIndex, bool pressed, bool fromPlayback, int32_t shift) {
    if (keyIndex == int(kPedalScanCode)) {
        // The space bar shows the pedal as the engine holds it, live or played.
        if (invalidate_ != nullptr) {
            invalidate_(invalidateContext_,
                        Rect{origin_.x + kSpaceBarPlace.x, origin_.y + kSpaceBarPlace.y,
                             kSpaceBarPlace.width, kCapHeight});
        }
        return;
    }
    const Rect cap = CapRect(origin_, keyIndex);
    if (cap.Empty()) {
        return;
    }
    // A shift with no tint keeps whatever image the cap shows; the label is drawn again.
    const std::optional<int> image =
        CapImage(pressed, fromPlayback ? shift : performance_.octaveShift);
    if (image) {
        capShown_[size_t(keyIndex)] = static_cast<int8_t>(*image);
    }
    if (invalidate_ != nullptr) {
        invalidate_(invalidateContext_, cap);
    }
    if (keyChanged_) {
        keyChanged_(keyIndex);
    }
}

void KeyboardView::Paint(HDC dc, const ViewPictures& pictures) const {
    HBRUSH background = CreateSolidBrush(ToColorRef(artwork_.Background()));
    const RECT all{0, 0, size_.width, size_.height};
    FillRect(dc, &all, background);
    DeleteObject(background);
    HDC images = CreateCompatibleDC(dc);
    const int savedDc = SaveDC(dc);
    SetBkMode(dc, TRANSPARENT);
    // The picture goes under the keyboard: in a low window the two overlap.
    PaintPicture(dc, images, pictures);
    SelectObject(dc, labelFont_);
    for (int i = 0; i < kKeyTableSize; ++i) {
        PaintCap(dc, images, pictures, i);
    }
    PaintFixedCaps(dc, images, pictures);
    PaintTexts(dc);
    RestoreDC(dc, savedDc);
    DeleteDC(images);  // a memory context may be deleted with a bitmap selected
}

void KeyboardView::PaintPicture(HDC dc, HDC images, const ViewPictures& pictures) const {
    // Centred across the window and, vertically, between y = 32 and the keyboard.
    const int left = (size_.width - kPictureWidth) / 2;
    const int top = (origin_.y - 173) / 2 + 32;
    const int index = PictureIndex(performance_.channel, performance_.program);
    CopyImage(dc, images, pictures.pictures, pictures.density,
              Rect{left, top, kPictureWidth, kPictureHeight}, Point{index * kPictureWidth, 0});
    const int labelTop = (origin_.y - charSize_.height - 32) / 2 + 32;
    SelectObject(dc, windowFont_);
    DrawOpaqueText(dc, {left + kPictureWidth, labelTop}, InstrumentCaption(performance_));
}

void KeyboardView::PaintCap(HDC dc, HDC images, const ViewPictures& pictures, int keyIndex) const {
    const Rect cap = CapRect(origin_, keyIndex);
    if (cap.Empty()) {
        return;
    }
    const int shown = capShown_[size_t(keyIndex)];
    if (pictures.keyCaps != nullptr) {
        CopyImage(dc, images, pictures.keyCaps, pictures.density, cap, Point{shown * kCapWidth, 0});
    } else {
        HBRUSH plain = CreateSolidBrush(ToColorRef(kPlainCapColour));
        const RECT face{cap.left, cap.top, cap.left + cap.width - 1, cap.top + cap.height - 1};
        FillRect(dc, &face, plain);
        DeleteObject(plain);
    }
    // The label sits four pixels above the middle of the cap, leaving room for dots below.
    const KeyEntry& key = KeyTable[keyIndex];
    SetTextColor(dc, ToColorRef(kCapLabelColour));
    RECT labelArea{cap.left, cap.top - 4, cap.left + kCapWidth - 1, cap.top + kCapHeight - 5};
    const std::wstring label = Wide(key.label);
    DrawTextW(dc, label.c_str(), int(label.size()), &labelArea,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);

    SelectObject(dc, GetStockObject(NULL_PEN));
    SelectObject(dc, GetStockObject(BLACK_BRUSH));
    const int centreX = cap.left + kDotColumn;
    switch (key.octave) {
        case 6:
            DrawDot(dc, centreX, cap.top + 3);
            break;
        case 4:
            DrawDot(dc, centreX, cap.top + 23);
            break;
        case 3:
            DrawDot(dc, centreX, cap.top + 23);
            DrawDot(dc, centreX, cap.top + 29);
            break;
        default:
            break;
    }
}

void KeyboardView::PaintFixedCaps(HDC dc, HDC images, const ViewPictures& pictures) const {
    const bool pedalDown = performance_.liveVoices[kPedalScanCode].sounding ||
                           performance_.playedVoices[kPedalScanCode].sounding;
    for (const FixedCapPlace& place : kFixedCapPlaces) {
        const bool pressed = pedalDown && place.resource == kSpaceBarPicture;
        // Pressed: sunk by two pixels and in shade, as a held cap looks.
        const Rect cap{origin_.x + place.x, origin_.y + place.y + (pressed ? 2 : 0), place.width,
                       kCapHeight - (pressed ? 2 : 0)};
        CopyImage(dc, images, pictures.FixedCap(place.resource), pictures.density, cap,
                  Point{0, 0});
        if (pressed) {
            Shade(dc, Rect{cap.left + 2, cap.top + 2, cap.width - 4, cap.height - 6});
        }
    }
}

void KeyboardView::PaintTexts(HDC dc) const {
    SelectObject(dc, windowFont_);
    const int statusY = size_.height - 4 * charSize_.height;
    DrawOpaqueText(dc, {charSize_.width, statusY}, DeviceStateText(performance_));
    DrawOpaqueText(dc, {5 * charSize_.width, statusY}, DeviceNameText(performance_));
    DrawOpaqueText(dc, {20 * charSize_.width, statusY}, TrackText(performance_));
    DrawOpaqueText(dc, {charSize_.width, size_.height - 3 * charSize_.height}, kHintText);
    const int captionY = origin_.y + kKeyboardHeight;
    DrawOpaqueText(dc, {size_.width * 143 / 160, captionY}, "Force");
    DrawOpaqueText(dc, {size_.width * 151 / 160, captionY}, "Freq");
}

// Texts are placed by their top-left corner and painted over the background colour.
void KeyboardView::DrawOpaqueText(HDC dc, Point topLeft, const std::string& text) const {
    const std::wstring wide = Wide(text);
    SetTextColor(dc, ToColorRef(kTextColour));
    SetBkColor(dc, ToColorRef(artwork_.Background()));
    SetBkMode(dc, OPAQUE);
    TextOutW(dc, topLeft.x, topLeft.y, wide.c_str(), int(wide.size()));
    SetBkMode(dc, TRANSPARENT);
}

}  // namespace plinkora
