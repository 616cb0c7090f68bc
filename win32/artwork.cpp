#include "win32/artwork.h"

// clang-format off
#include <objidl.h>
#include <shlwapi.h>
#include <gdiplus.h>
// clang-format on

#include <algorithm>
#include <memory>

namespace plinkora {

namespace {

// GDI+ decodes the PNG data of a resource into a bitmap; transparent pixels take the colour
// behind them, since GDI copies bitmaps without blending.
HBITMAP LoadPng(int resource, COLORREF behind) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(resource), MAKEINTRESOURCEW(10));
    if (found == nullptr) {
        return nullptr;
    }
    HGLOBAL loaded = LoadResource(module, found);
    const auto* data = static_cast<const BYTE*>(LockResource(loaded));
    IStream* stream = SHCreateMemStream(data, SizeofResource(module, found));
    if (stream == nullptr) {
        return nullptr;
    }
    HBITMAP bitmap = nullptr;
    {
        std::unique_ptr<Gdiplus::Bitmap> image(Gdiplus::Bitmap::FromStream(stream));
        if (image && image->GetLastStatus() == Gdiplus::Ok) {
            const Gdiplus::Color background(GetRValue(behind), GetGValue(behind),
                                            GetBValue(behind));
            image->GetHBITMAP(background, &bitmap);
        }
    }
    stream->Release();
    return bitmap;
}

Rgb FirstPixel(HBITMAP bitmap, Rgb otherwise) {
    if (bitmap == nullptr) {
        return otherwise;
    }
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(memory, bitmap);
    const COLORREF pixel = GetPixel(memory, 0, 0);
    SelectObject(memory, old);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    if (pixel == CLR_INVALID) {
        return otherwise;
    }
    return {GetRValue(pixel), GetGValue(pixel), GetBValue(pixel)};
}

}  // namespace

Artwork::Artwork() {
    Gdiplus::GdiplusStartupInput input;
    if (Gdiplus::GdiplusStartup(&gdiplusToken_, &input, nullptr) != Gdiplus::Ok) {
        gdiplusToken_ = 0;
        return;
    }
    const COLORREF black = RGB(0, 0, 0);
    pictures_ = LoadPng(kPicturesResource, black);
    background_ = FirstPixel(pictures_, background_);
    keyCaps_ = LoadPng(kKeyCapsResource, black);
    toolbar_ = LoadPng(kToolbarResource, GetSysColor(COLOR_BTNFACE));
    splash_ = LoadPng(kSplashResource, black);
    for (size_t i = 0; i < fixedCaps_.size(); ++i) {
        fixedCaps_[i] = LoadPng(kFirstFixedCapResource + int(i), black);
    }
}

Artwork::~Artwork() {
    for (HBITMAP bitmap : {pictures_, keyCaps_, toolbar_, splash_}) {
        DeleteObject(bitmap);
    }
    for (HBITMAP bitmap : fixedCaps_) {
        DeleteObject(bitmap);
    }
    if (gdiplusToken_ != 0) {
        Gdiplus::GdiplusShutdown(gdiplusToken_);
    }
}

HBITMAP Artwork::FixedCap(int resource) const {
    const int index = resource - kFirstFixedCapResource;
    if (index < 0 || index >= int(fixedCaps_.size())) {
        return nullptr;
    }
    return fixedCaps_[size_t(index)];
}

}  // namespace plinkora
