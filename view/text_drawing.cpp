#include "view/text_drawing.h"

#include <QPaintDevice>
#include <QPainter>
#include <cmath>

namespace plinkora {

namespace {

// Tenths of a point become tenths of a pixel first, truncated, then whole pixels rounded; the
// factor is the single-precision 1/72 so that the sizes match the classic arithmetic exactly.
constexpr float kPerPoint = 0.013888889f;

void DrawOneLine(QPainter& painter, const QRect& area, const QString& text, const QFont& font,
                 const QColor& colour, int alignment) {
    painter.save();
    painter.setFont(font);
    painter.setPen(colour);
    painter.setBackgroundMode(Qt::TransparentMode);
    painter.drawText(area, alignment | Qt::AlignVCenter | Qt::TextSingleLine, text);
    painter.restore();
}

}  // namespace

int FontPixelHeight(int tenthsOfPoint, int dotsPerInch) {
    const float tenthsOfPixel =
        static_cast<float>(tenthsOfPoint) * static_cast<float>(dotsPerInch) * kPerPoint;
    const int truncated = static_cast<int>(tenthsOfPixel);
    return static_cast<int>(std::abs(truncated) * 0.1 + 0.5);
}

QFont CreateFontByPoints(int dotsPerInch, const QString& face, int tenthsOfPoint, int attributes) {
    QFont font(face);
    const int pixels = FontPixelHeight(tenthsOfPoint, dotsPerInch);
    font.setPixelSize(pixels > 0 ? pixels : kDefaultFontPixels);
    font.setWeight((attributes & kFontBold) ? QFont::Bold : QFont::Normal);
    font.setItalic(attributes & kFontItalic);
    font.setUnderline(attributes & kFontUnderline);
    font.setStrikeOut(attributes & kFontStrikeOut);
    return font;
}

QFont CreateFontByPoints(const QPaintDevice& device, const QString& face, int tenthsOfPoint,
                         int attributes) {
    return CreateFontByPoints(device.logicalDpiY(), face, tenthsOfPoint, attributes);
}

void DrawLinkText(QPainter& painter, const QRect& area, const QString& text, bool visited) {
    const QFont font = CreateFontByPoints(*painter.device(), kTextFace, 0, kFontUnderline);
    DrawOneLine(painter, area, text, font, visited ? kVisitedLinkColour : QColor(Qt::black),
                Qt::AlignLeft);
}

void DrawTitleText(QPainter& painter, const QRect& area, const QString& text, const QColor& colour,
                   int tenthsOfPoint, int attributes) {
    const QFont font = CreateFontByPoints(*painter.device(), kTextFace, tenthsOfPoint, attributes);
    DrawOneLine(painter, area, text, font, colour, Qt::AlignHCenter);
}

}  // namespace plinkora
