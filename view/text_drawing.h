#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>

class QPaintDevice;
class QPainter;

namespace plinkora {

// Attribute bits of a font.
inline constexpr int kFontBold = 1;
inline constexpr int kFontItalic = 2;
inline constexpr int kFontUnderline = 4;
inline constexpr int kFontStrikeOut = 8;

inline constexpr const char* kTextFace = "Times New Roman";
// The size a height of 0 stands for, whatever the resolution: 12 points on a 96 dpi screen.
inline constexpr int kDefaultFontPixels = 16;
inline constexpr QColor kVisitedLinkColour{150, 0, 150};

// Pixels of a font of this height in tenths of a point (120 is 12 points) at this many dots
// per inch; 0 for height 0, which asks for the default size.
int FontPixelHeight(int tenthsOfPoint, int dotsPerInch);

// Every font of the program is made here. The size follows the vertical resolution of the
// device the font is for; Qt's logical pixels keep it sharp on high-density screens.
QFont CreateFontByPoints(int dotsPerInch, const QString& face, int tenthsOfPoint, int attributes);
QFont CreateFontByPoints(const QPaintDevice& device, const QString& face, int tenthsOfPoint,
                         int attributes);

// A link over a dialog's control: one line, left-aligned and vertically centred, underlined,
// default size, purple once visited and black before.
void DrawLinkText(QPainter& painter, const QRect& area, const QString& text, bool visited);

// A title over a dialog's control: one line centred both ways in the given colour and font.
void DrawTitleText(QPainter& painter, const QRect& area, const QString& text, const QColor& colour,
                   int tenthsOfPoint, int attributes);

}  // namespace plinkora
