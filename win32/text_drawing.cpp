#include "win32/text_drawing.h"

#include <cstdlib>
#include <cwchar>

namespace plinkora {

namespace {

// Tenths of a point become tenths of a pixel first, truncated, then whole pixels rounded; the
// factor is the single-precision 1/72 so that the sizes match the classic arithmetic exactly.
constexpr float kPerPoint = 0.013888889f;
constexpr int kDefaultFontPixels = 16;

void DrawOneLine(HDC dc, const RECT& area, std::wstring_view text, HFONT font, COLORREF colour,
                 UINT alignment) {
    const int saved = SaveDC(dc);
    SelectObject(dc, font);
    SetTextColor(dc, colour);
    SetBkMode(dc, TRANSPARENT);
    RECT box = area;
    DrawTextW(dc, text.data(), int(text.size()), &box,
              alignment | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    RestoreDC(dc, saved);
    DeleteObject(font);
}

}  // namespace

int FontPixelHeight(int tenthsOfPoint, UINT dotsPerInch) {
    if (tenthsOfPoint == 0) {
        return MulDiv(kDefaultFontPixels, int(dotsPerInch), USER_DEFAULT_SCREEN_DPI);
    }
    const float tenthsOfPixel =
        static_cast<float>(tenthsOfPoint) * static_cast<float>(dotsPerInch) * kPerPoint;
    const int truncated = static_cast<int>(tenthsOfPixel);
    return static_cast<int>(std::abs(truncated) * 0.1 + 0.5);
}

HFONT CreateFontByPoints(UINT dotsPerInch, const wchar_t* face, int tenthsOfPoint, int attributes) {
    LOGFONTW font{};
    font.lfHeight = -FontPixelHeight(tenthsOfPoint, dotsPerInch);
    font.lfWeight = (attributes & kFontBold) != 0 ? FW_BOLD : FW_NORMAL;
    font.lfItalic = (attributes & kFontItalic) != 0;
    font.lfUnderline = (attributes & kFontUnderline) != 0;
    font.lfStrikeOut = (attributes & kFontStrikeOut) != 0;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfOutPrecision = OUT_TT_PRECIS;
    font.lfQuality = CLEARTYPE_QUALITY;
    // Where Times New Roman is not installed (Wine without Microsoft's fonts) the mapper then
    // takes a serif face, Liberation Serif of the same measures, not its sans-serif default.
    font.lfPitchAndFamily = VARIABLE_PITCH | FF_ROMAN;
    wcsncpy(font.lfFaceName, face, LF_FACESIZE - 1);
    return CreateFontIndirectW(&font);
}

void DrawLinkText(HDC dc, const RECT& area, std::wstring_view text, bool visited, UINT dpi) {
    DrawOneLine(dc, area, text, CreateFontByPoints(dpi, kTextFace, 0, kFontUnderline),
                visited ? kVisitedLinkColour : RGB(0, 0, 0), DT_LEFT);
}

void DrawTitleText(HDC dc, const RECT& area, std::wstring_view text, COLORREF colour,
                   int tenthsOfPoint, int attributes, UINT dpi) {
    DrawOneLine(dc, area, text, CreateFontByPoints(dpi, kTextFace, tenthsOfPoint, attributes),
                colour, DT_CENTER);
}

}  // namespace plinkora
