#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "view/text_drawing.h"

namespace plinkora::testing {
namespace {

TEST(FontByPoints, SizeFollowsTheResolution) {
    EXPECT_EQ(FontPixelHeight(120, 96), 16);
    EXPECT_EQ(FontPixelHeight(140, 96), 19);
    EXPECT_EQ(FontPixelHeight(120, 120), 20);
    EXPECT_EQ(FontPixelHeight(140, 120), 23);
    EXPECT_EQ(FontPixelHeight(0, 96), 0);

    EXPECT_EQ(CreateFontByPoints(96, kTextFace, 140, 0).pixelSize(), 19);
    EXPECT_EQ(CreateFontByPoints(120, kTextFace, 140, 0).pixelSize(), 23);
    // Height 0 is the default size, whatever the resolution.
    EXPECT_EQ(CreateFontByPoints(96, kTextFace, 0, 0).pixelSize(), kDefaultFontPixels);
    EXPECT_EQ(CreateFontByPoints(144, kTextFace, 0, 0).pixelSize(), kDefaultFontPixels);
}

TEST(FontByPoints, AttributesAndFace) {
    const QFont plain = CreateFontByPoints(96, kTextFace, 120, 0);
    EXPECT_EQ(plain.weight(), QFont::Normal);
    EXPECT_FALSE(plain.italic() || plain.underline() || plain.strikeOut());
    const QFont all = CreateFontByPoints(96, kTextFace, 120, 15);
    EXPECT_EQ(all.weight(), QFont::Bold);
    EXPECT_TRUE(all.italic() && all.underline() && all.strikeOut());
    // fontconfig stands Liberation Serif in for the face.
    EXPECT_EQ(QFontInfo(plain).family(), "Liberation Serif");
}

QRect Ink(const QImage& image, QRgb colour) {
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) == colour) {
                box |= QRect(x, y, 1, 1);
            }
        }
    }
    return box;
}

QImage White(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

TEST(TextOverControls, LinkIsLeftAlignedAndPurpleOnceVisited) {
    QImage image = White(300, 40);
    {
        QPainter painter(&image);
        DrawLinkText(painter, image.rect(), "www.example.org", true);
    }
    const QRect visited = Ink(image, qRgb(150, 0, 150));
    ASSERT_FALSE(visited.isEmpty());
    EXPECT_LT(visited.left(), 3);
    EXPECT_NEAR(visited.center().y(), 20, 4);

    image = White(300, 40);
    {
        QPainter painter(&image);
        DrawLinkText(painter, image.rect(), "www.example.org", false);
    }
    EXPECT_TRUE(Ink(image, qRgb(150, 0, 150)).isEmpty());
    EXPECT_FALSE(Ink(image, qRgb(0, 0, 0)).isEmpty());
}

TEST(TextOverControls, TitleIsCentredInItsColour) {
    QImage image = White(300, 60);
    {
        QPainter painter(&image);
        DrawTitleText(painter, image.rect(), "PLINKORA", QColor(255, 0, 0), 140, kFontBold);
    }
    const QRect ink = Ink(image, qRgb(255, 0, 0));
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_NEAR(ink.center().x(), 150, 2);
    EXPECT_NEAR(ink.center().y(), 30, 3);
    EXPECT_NEAR(ink.height(), 13, 3);  // capitals of a 19-pixel font
}

}  // namespace
}  // namespace plinkora::testing
