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

void LoadViewPictures(ViewPictures& set, int density) {
    const int offset = density == 1 ? 0 : kDoubleDensityOffset;
    const COLORREF black = RGB(0, 0, 0);
    set.density = density;
    set.pictures = LoadPng(offset + kPicturesResource, black);
    set.keyCaps = LoadPng(offset + kKeyCapsResource, black);
    for (size_t i = 0; i < set.fixedCaps.size(); ++i) {
        set.fixedCaps[i] = LoadPng(offset + kFirstFixedCapResource + int(i), black);
    }
}

void FreeViewPictures(const ViewPictures& set) {
    DeleteObject(set.pictures);
    DeleteObject(set.keyCaps);
    for (HBITMAP bitmap : set.fixedCaps) {
        DeleteObject(bitmap);
    }
}

}  // namespace

HBITMAP ViewPictures::FixedCap(int resource) const {
    const int index = resource - kFirstFixedCapResource;
    if (index < 0 || index >= int(fixedCaps.size())) {
        return nullptr;
    }
    return fixedCaps[size_t(index)];
}

Artwork::Artwork() {
    Gdiplus::GdiplusStartupInput input;
    if (Gdiplus::GdiplusStartup(&gdiplusToken_, &input, nullptr) != Gdiplus::Ok) {
        gdiplusToken_ = 0;
        return;
    }
    LoadViewPictures(single_, 1);
    LoadViewPictures(twice_, 2);
    background_ = FirstPixel(single_.pictures, background_);
    toolbar_ = LoadPng(kToolbarResource, GetSysColor(COLOR_BTNFACE));
    toolbar2x_ = LoadPng(kDoubleDensityOffset + kToolbarResource, GetSysColor(COLOR_BTNFACE));
    splash_ = LoadPng(kSplashResource, RGB(0, 0, 0));
    splash2x_ = LoadPng(kDoubleDensityOffset + kSplashResource, RGB(0, 0, 0));
}

Artwork::~Artwork() {
    FreeViewPictures(single_);
    FreeViewPictures(twice_);
    DeleteObject(toolbar_);
    DeleteObject(toolbar2x_);
    DeleteObject(splash_);
    DeleteObject(splash2x_);
    if (gdiplusToken_ != 0) {
        Gdiplus::GdiplusShutdown(gdiplusToken_);
    }
}

HBITMAP Artwork::Splash(double scale) const {
    return scale >= kDoubleDensityFrom && splash2x_ != nullptr ? splash2x_ : splash_;
}

const ViewPictures& Artwork::ForScale(double scale) const {
    if (scale >= kDoubleDensityFrom && twice_.pictures != nullptr) {
        return twice_;
    }
    return single_;
}

}  // namespace plinkora
