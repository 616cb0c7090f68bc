#pragma once

#include <windows.h>

#include <string_view>

namespace plinkora {

// Attribute bits of a font.
inline constexpr int kFontBold = 1;
inline constexpr int kFontItalic = 2;
inline constexpr int kFontUnderline = 4;
inline constexpr int kFontStrikeOut = 8;

inline constexpr wchar_t kTextFace[] = L"Times New Roman";
inline constexpr COLORREF kVisitedLinkColour = RGB(150, 0, 150);

// Pixels of a font this many tenths of a point high (120 is 12 points) at this many dots per
// inch; a height of 0 asks for the default size, 12 points at 96 dpi, and grows with the
// resolution as every other size of the window does. The same sizes as the Linux program's.
int FontPixelHeight(int tenthsOfPoint, UINT dotsPerInch);

// Every font of the dialogs is made here; the caller deletes it.
HFONT CreateFontByPoints(UINT dotsPerInch, const wchar_t* face, int tenthsOfPoint, int attributes);

// A link: one line, left-aligned and vertically centred, underlined, default size, purple once
// visited and black before.
void DrawLinkText(HDC dc, const RECT& area, std::wstring_view text, bool visited, UINT dpi);
// A title: one line centred both ways, in the colour and font given.
void DrawTitleText(HDC dc, const RECT& area, std::wstring_view text, COLORREF colour,
                   int tenthsOfPoint, int attributes, UINT dpi);

}  // namespace plinkora
