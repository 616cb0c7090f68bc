#include <QFontMetrics>
#include <QPainter>

#include "engine/key_handling.h"
#include "view/artwork.h"
#include "view/text_drawing.h"
#include "view/window_texts.h"
#include "view_fixture.h"

namespace plinkora::testing {
namespace {

constexpr uint32_t kKeyA = 30, kKeyS = 31, kKeyD = 32, kKeyK = 37, kKeyR = 19, kKey1 = 2;
constexpr uint32_t kKeyBracket = 27, kKeyTab = 15;

// The left bevel of each cap image is one flat colour that tells the tints apart.
const QColor kReleased(144, 143, 160), kBlue(80, 143, 207), kPink(192, 80, 105),
    kGreen(93, 187, 111);

QColor Bevel(const QImage& image, const QRect& cap) {
    return image.pixelColor(cap.x() + 2, cap.y() + 19);
}

bool Dark(const QImage& image, int x, int y) {
    return qGray(image.pixel(x, y)) < 100;
}

// The box of dark pixels within part of the image, or an empty box.
QRect InkBox(const QImage& image, const QRect& area, bool (*ink)(QRgb)) {
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (ink(image.pixel(x, y))) {
                box |= QRect(x, y, 1, 1);
            }
        }
    }
    return box;
}

bool BlackInk(QRgb pixel) {
    return qGray(pixel) < 100;
}
bool RedInk(QRgb pixel) {
    return qRed(pixel) > 150 && qGreen(pixel) < 100;
}

// How wide a text's dark ink is when written alone on white.
int InkWidth(const QString& text, const QFont& font) {
    QImage image(60, 40, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    painter.drawText(image.rect(), Qt::AlignCenter, text);
    painter.end();
    return InkBox(image, image.rect(), BlackInk).width();
}

using ViewPaint = ViewTest;

TEST_F(ViewPaint, PressedCapTakesTheTintOfItsShiftAndTurnsWhiteOnRelease) {
    PlayKey(performance_, kKeyDown, KeyParam(kKeyA));
    EXPECT_EQ(Bevel(Grab(), Cap(kKeyA)), kBlue);
    PlayKey(performance_, kKeyUp, KeyParam(kKeyA));
    EXPECT_EQ(Bevel(Grab(), Cap(kKeyA)), kReleased);

    modifiers_.shift = true;
    PlayKey(performance_, kKeyDown, KeyParam(kKeyA));
    EXPECT_EQ(Bevel(Grab(), Cap(kKeyA)), kPink);
    // The rest of the chord keeps the first key's shift after Shift is let go.
    modifiers_.shift = false;
    PlayKey(performance_, kKeyDown, KeyParam(kKeyS));
    EXPECT_EQ(Bevel(Grab(), Cap(kKeyS)), kPink);
    PlayKey(performance_, kKeyUp, KeyParam(kKeyA));
    PlayKey(performance_, kKeyUp, KeyParam(kKeyS));

    modifiers_.ctrl = true;
    PlayKey(performance_, kKeyDown, KeyParam(kKeyA));
    const QImage image = Grab();
    EXPECT_EQ(Bevel(image, Cap(kKeyA)), kGreen);
    EXPECT_EQ(Bevel(image, Cap(kKeyS)), kReleased);
}

TEST_F(ViewPaint, PlayedEventsShowTheirRecordedShift) {
    view_.DrawKeyCap(kKeyA, true, true, 1);
    view_.DrawKeyCap(kKeyS, true, true, -1);
    view_.DrawKeyCap(kKeyD, true, true, 0);
    const QImage image = Grab();
    EXPECT_EQ(Bevel(image, Cap(kKeyA)), kPink);
    EXPECT_EQ(Bevel(image, Cap(kKeyS)), kGreen);
    EXPECT_EQ(Bevel(image, Cap(kKeyD)), kBlue);

    // A shift no tint stands for (a damaged document) leaves the cap's image as it was.
    view_.DrawKeyCap(kKeyA, true, true, 1);
    view_.DrawKeyCap(kKeyA, true, true, 5);
    EXPECT_EQ(Bevel(Grab(), Cap(kKeyA)), kPink);
}

TEST_F(ViewPaint, EscapeAndEveryOtherRepaintShowAllCapsReleased) {
    PlayKey(performance_, kKeyDown, KeyParam(kKeyA));
    PlayKey(performance_, kKeyDown, KeyParam(kKeyK));
    PressEscape(performance_);
    QImage image = Grab();
    EXPECT_EQ(Bevel(image, Cap(kKeyA)), kReleased);
    EXPECT_EQ(Bevel(image, Cap(kKeyK)), kReleased);

    // A key pressed after Esc lights even before the window has painted again.
    PlayKey(performance_, kKeyDown, KeyParam(kKeyS));
    EXPECT_EQ(Bevel(Grab(), Cap(kKeyS)), kBlue);
    // Covering and uncovering paints the whole area again: released, though S is still held.
    EXPECT_EQ(Bevel(Grab(), Cap(kKeyS)), kReleased);
}

TEST_F(ViewPaint, KeyEventRepaintsOnlyItsOwnCap) {
    PlayKey(performance_, kKeyDown, KeyParam(kKeyS));
    QImage image = Grab();
    PlayKey(performance_, kKeyDown, KeyParam(kKeyA));
    PlayKey(performance_, kKeyDown, KeyParam(kKeyD));
    // Qt may merge the two caps into one rectangle; S between them keeps its look.
    const QRect merged = Cap(kKeyA) | Cap(kKeyD);
    const QImage before = image.copy();
    view_.render(&image, merged.topLeft(), QRegion(merged), {});
    EXPECT_EQ(Bevel(image, Cap(kKeyA)), kBlue);
    EXPECT_EQ(Bevel(image, Cap(kKeyD)), kBlue);
    EXPECT_EQ(image.copy(Cap(kKeyS)), before.copy(Cap(kKeyS)));
}

TEST_F(ViewPaint, KeysShowTheirLabelsAndOctaveDots) {
    const QImage image = Grab();
    const QFont labelFont = CreateFontByPoints(view_, kTextFace, 0, 0);
    struct Case {
        uint32_t key;
        QString label;
        bool dotAbove, dotBelow, secondDotBelow;
    };
    for (const Case& c :
         {Case{kKey1, "b5", false, true, true}, Case{kKeyR, "1", false, true, false},
          Case{kKeyA, "1", false, false, false}, Case{kKeyK, "1", true, false, false},
          Case{kKeyBracket, "6", true, false, false}}) {
        SCOPED_TRACE(c.label.toStdString() + " on key " + std::to_string(c.key));
        const QRect cap = Cap(c.key);
        EXPECT_EQ(QString::fromLatin1(KeyTable[c.key].label), c.label);
        const QRect ink = InkBox(image, QRect(cap.x() + 5, cap.y() + 8, 28, 14), BlackInk);
        ASSERT_FALSE(ink.isEmpty());
        EXPECT_NEAR(ink.width(), InkWidth(c.label, labelFont), 1);
        EXPECT_NEAR(ink.center().x() + 0.5, cap.x() + 18.5, 1.5);
        const int column = cap.x() + 18;
        EXPECT_EQ(Dark(image, column, cap.y() + 5), c.dotAbove);
        EXPECT_EQ(Dark(image, column, cap.y() + 25), c.dotBelow);
        EXPECT_EQ(Dark(image, column, cap.y() + 31), c.secondDotBelow);
    }
}

TEST_F(ViewPaint, FixedCapsCloseEveryRowAndTabPlaysNothing) {
    PlayKey(performance_, kKeyDown, KeyParam(kKeyTab));
    EXPECT_TRUE(outputs_.words.empty());
    const QImage image = Grab();
    for (const FixedCapPlace& place : kFixedCapPlaces) {
        SCOPED_TRACE(place.resource);
        const QImage expected = artwork::FixedCap(place.resource).toImage();
        ASSERT_EQ(expected.width(), place.width);
        EXPECT_EQ(image.copy(origin_.x() + place.x, origin_.y() + place.y, place.width, 39),
                  expected.convertToFormat(image.format()));
    }
}

TEST_F(ViewPaint, PictureFollowsTheInstrumentAndTrackTen) {
    const int left = (800 - kPictureWidth) / 2;
    const int top = (origin_.y() - 173) / 2 + 32;
    struct Case {
        int program, channel, picture;
    };
    for (const Case& c : {Case{0, 0, 0}, Case{40, 0, 5}, Case{80, 0, 10}, Case{103, 0, 10},
                          Case{104, 0, 11}, Case{127, 0, 13}, Case{40, 9, 14}, Case{0, 8, 0}}) {
        SCOPED_TRACE("program " + std::to_string(c.program));
        EXPECT_EQ(PictureIndex(c.channel, c.program), c.picture);
        performance_.program = c.program;
        performance_.channel = c.channel;
        const QImage shown = Grab().copy(left, top, kPictureWidth, kPictureHeight);
        const QImage expected = artwork::InstrumentPicture(c.picture).toImage();
        EXPECT_EQ(shown, expected.convertToFormat(shown.format()));
    }
}

TEST_F(ViewPaint, KeySignatureLabelStandsRightOfThePicture) {
    const QFontMetrics metrics(view_.font());
    const int left = (800 - kPictureWidth) / 2 + kPictureWidth;
    const int top = (origin_.y() - metrics.height() - 32) / 2 + 32;
    const QRect band(left, top, 800 - left, metrics.height());
    struct Case {
        int keySignature, program;
        QString label;
    };
    for (const Case& c : {Case{1314, 0, "Acoustic Grand Piano    1=bA"},
                          Case{1328, 40, "Violin    6=#f"}, Case{1306, 0, ""}}) {
        SCOPED_TRACE(c.label.toStdString());
        performance_.keySignature = c.keySignature;
        performance_.program = c.program;
        EXPECT_EQ(InstrumentCaption(performance_), c.label);
        const QRect ink = InkBox(Grab(), band, RedInk);
        if (c.label.isEmpty()) {
            EXPECT_TRUE(ink.isEmpty());
            continue;
        }
        EXPECT_NEAR(ink.left(), left, 2);
        EXPECT_NEAR(ink.width(), metrics.horizontalAdvance(c.label), 3);
    }
}

TEST_F(ViewPaint, StatusHintAndCaptionsSitWhereTheWindowPutsThem) {
    const QSize charSize = view_.CharSize();
    const int cw = charSize.width(), ch = charSize.height();
    const QFontMetrics metrics(view_.font());
    struct Case {
        QString text;
        QPoint at;
    };
    const Case cases[] = {
        {"Open", {cw, 600 - 4 * ch}},
        {"Capture 0", {5 * cw, 600 - 4 * ch}},
        {"Track 1", {20 * cw, 600 - 4 * ch}},
        {QString::fromLatin1(kHintText), {cw, 600 - 3 * ch}},
        {"Force", {800 * 143 / 160, origin_.y() + 195}},
        {"Freq", {800 * 151 / 160, origin_.y() + 195}},
    };
    const QImage image = Grab();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        const QRect box(c.at, QSize(metrics.horizontalAdvance(c.text), ch));
        const QRect ink = InkBox(image, box.adjusted(-2, 0, 2, 0), RedInk);
        ASSERT_FALSE(ink.isEmpty());
        EXPECT_NEAR(ink.left(), box.left(), 2);
        EXPECT_NEAR(ink.right(), box.right(), 3);
    }

    performance_.deviceOpen = false;
    performance_.channel = 14;
    EXPECT_EQ(DeviceStateText(performance_), "Close");
    EXPECT_EQ(TrackText(performance_), "Track 15");
    performance_.deviceId = 7;  // a device the system no longer lists
    EXPECT_EQ(DeviceNameText(performance_), "");
}

TEST_F(ViewPaint, StaysSharpAtTwiceThePixels) {
    QPixmap pixmap(view_.size() * 2);
    pixmap.setDevicePixelRatio(2.0);
    PlayKey(performance_, kKeyDown, KeyParam(kKeyA));
    view_.render(&pixmap);
    const QImage image = pixmap.toImage();
    const QRect cap = Cap(kKeyA);
    // The logical geometry holds: the bevel lies where it does at normal size, doubled.
    EXPECT_EQ(image.pixelColor(2 * (cap.x() + 2), 2 * (cap.y() + 19)), kBlue);
    EXPECT_EQ(image.pixelColor(2 * (cap.x() + 2) + 1, 2 * (cap.y() + 19) + 1), kBlue);
}

}  // namespace
}  // namespace plinkora::testing
