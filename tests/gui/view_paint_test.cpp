#include <QFontMetrics>
#include <QPainter>

#include "view/artwork.h"
#include "view/text_drawing.h"
#include "view_fixture.h"
#include "window/window_texts.h"

namespace plinkora::testing {
namespace {

// The left bevel of each cap image is one flat colour that tells the tints apart.
const QColor kReleased(144, 143, 160), kBlue(80, 143, 207), kPink(192, 80, 105),
    kGreen(93, 187, 111);

QColor Bevel(const QImage& image, const QRect& cap) {
    return image.pixelColor(cap.x() + 2, cap.y() + 19);
}

// The box of black (or red) ink within part of the image, or an empty box.
QRect InkBox(const QImage& image, const QRect& area, bool red = false) {
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (red ? qRed(p) > 150 && qGreen(p) < 100 : qGray(p) < 100) {
                box |= QRect(x, y, 1, 1);
            }
        }
    }
    return box;
}

using ViewPaint = ViewTest;

TEST_F(ViewPaint, PressedCapTakesTheTintOfItsShiftAndTurnsWhiteOnRelease) {
    Press(kKeyA);
    EXPECT_EQ(Bevel(Grab(), Cap(kKeyA)), kBlue);
    Press(kKeyA, false);
    EXPECT_EQ(Bevel(Grab(), Cap(kKeyA)), kReleased);

    modifiers_.shift = true;
    Press(kKeyA);
    EXPECT_EQ(Bevel(Grab(), Cap(kKeyA)), kPink);
    // The rest of the chord keeps the first key's shift after Shift is let go.
    modifiers_.shift = false;
    Press(kKeyS);
    EXPECT_EQ(Bevel(Grab(), Cap(kKeyS)), kPink);
    Press(kKeyA, false);
    Press(kKeyS, false);

    modifiers_.ctrl = true;
    Press(kKeyA);
    const QImage image = Grab();
    EXPECT_EQ(Bevel(image, Cap(kKeyA)), kGreen);
    EXPECT_EQ(Bevel(image, Cap(kKeyS)), kReleased);

    // At twice the pixels the bevel lies where it does at normal size, doubled.
    Press(kKeyA);
    QPixmap sharp(view_.size() * 2);
    sharp.setDevicePixelRatio(2.0);
    view_.render(&sharp);
    const QPoint at = 2 * QPoint(Cap(kKeyA).x() + 2, Cap(kKeyA).y() + 19) + QPoint(1, 1);
    EXPECT_EQ(sharp.toImage().pixelColor(at), kGreen);
}

TEST_F(ViewPaint, PlayedEventsShowTheirRecordedShift) {
    view_.DrawKeyCap(kKeyA, true, true, 1);
    view_.DrawKeyCap(kKeyS, true, true, -1);
    view_.DrawKeyCap(kKeyD, true, true, 0);
    view_.DrawKeyCap(kKeyK, true, true, 1);
    view_.DrawKeyCap(kKeyK, true, true, 5);  // a damaged document: the cap stays as it was
    const QImage image = Grab();
    EXPECT_EQ(Bevel(image, Cap(kKeyA)), kPink);
    EXPECT_EQ(Bevel(image, Cap(kKeyS)), kGreen);
    EXPECT_EQ(Bevel(image, Cap(kKeyD)), kBlue);
    EXPECT_EQ(Bevel(image, Cap(kKeyK)), kPink);
}

TEST_F(ViewPaint, EscapeAndEveryOtherRepaintShowAllCapsReleased) {
    Press(kKeyA);
    Press(kKeyK);
    PressEscape(performance_);
    const QImage image = Grab();
    EXPECT_EQ(Bevel(image, Cap(kKeyA)), kReleased);
    EXPECT_EQ(Bevel(image, Cap(kKeyK)), kReleased);

    // A key pressed after Esc lights before the next paint; a whole repaint shows it released.
    Press(kKeyS);
    EXPECT_EQ(Bevel(Grab(), Cap(kKeyS)), kBlue);
    EXPECT_EQ(Bevel(Grab(), Cap(kKeyS)), kReleased);
}

TEST_F(ViewPaint, KeyEventRepaintsOnlyItsOwnCap) {
    Press(kKeyS);
    QImage image = Grab();
    const QImage before = image.copy();
    Press(kKeyA);
    Press(kKeyD);
    // Qt may merge the two caps into one rectangle; S between them keeps its look.
    const QRect merged = Cap(kKeyA) | Cap(kKeyD);
    view_.render(&image, merged.topLeft(), QRegion(merged), {});
    EXPECT_EQ(Bevel(image, Cap(kKeyA)), kBlue);
    EXPECT_EQ(Bevel(image, Cap(kKeyD)), kBlue);
    EXPECT_EQ(image.copy(Cap(kKeyS)), before.copy(Cap(kKeyS)));
}

TEST_F(ViewPaint, KeysShowTheirLabelsAndOctaveDotsAndFixedCapsCloseTheRows) {
    Press(15);  // Tab plays nothing
    EXPECT_TRUE(outputs_.words.empty());
    const QImage image = Grab();
    const auto inkWidthAlone = [this](const QString& text) {
        QImage alone(60, 40, QImage::Format_RGB32);
        alone.fill(Qt::white);
        QPainter painter(&alone);
        painter.setFont(CreateFontByPoints(view_, kTextFace, 0, 0));
        painter.drawText(alone.rect(), Qt::AlignCenter, text);
        return InkBox(alone, alone.rect()).width();
    };
    struct Case {
        uint32_t key;  // 1, R, A, K and ]
        QString label;
        bool dotAbove, dotBelow, secondDotBelow;
    };
    for (const Case& c :
         {Case{2, "b5", false, true, true}, Case{19, "1", false, true, false},
          Case{kKeyA, "1", false, false, false}, Case{kKeyK, "1", true, false, false},
          Case{27, "6", true, false, false}}) {
        SCOPED_TRACE(c.label.toStdString() + " on key " + std::to_string(c.key));
        EXPECT_EQ(QString::fromLatin1(KeyTable[c.key].label), c.label);
        const QRect cap = Cap(c.key);
        const QRect ink = InkBox(image, QRect(cap.x() + 5, cap.y() + 8, 28, 14));
        EXPECT_NEAR(ink.width(), inkWidthAlone(c.label), 1);
        EXPECT_NEAR(ink.center().x() + 0.5, cap.x() + 18.5, 1.5);
        const auto dark = [&](int dy) {
            return qGray(image.pixel(cap.x() + 18, cap.y() + dy)) < 100;
        };
        EXPECT_EQ(dark(5), c.dotAbove);
        EXPECT_EQ(dark(25), c.dotBelow);
        EXPECT_EQ(dark(31), c.secondDotBelow);
    }
    for (const FixedCapPlace& place : kFixedCapPlaces) {
        SCOPED_TRACE(place.resource);
        const QImage expected = artwork::FixedCap(place.resource).toImage();
        ASSERT_EQ(expected.size(), QSize(place.width, 39));
        EXPECT_EQ(image.copy(QRect(origin_ + QPoint(place.x, place.y), expected.size())),
                  expected.convertToFormat(image.format()));
    }
}

TEST_F(ViewPaint, PictureFollowsTheInstrumentAndTrackTen) {
    const QRect area((800 - kPictureWidth) / 2, (origin_.y() - 173) / 2 + 32, kPictureWidth,
                     kPictureHeight);
    struct Case {
        int program, channel, picture;
    };
    for (const Case& c : {Case{0, 0, 0}, Case{40, 0, 5}, Case{80, 0, 10}, Case{103, 0, 10},
                          Case{104, 0, 11}, Case{127, 0, 13}, Case{40, 9, 14}, Case{0, 8, 0}}) {
        SCOPED_TRACE("program " + std::to_string(c.program));
        EXPECT_EQ(PictureIndex(c.channel, c.program), c.picture);
        performance_.program = c.program;
        performance_.channel = c.channel;
        const QImage shown = Grab().copy(area);
        EXPECT_EQ(shown,
                  artwork::InstrumentPicture(c.picture).toImage().convertToFormat(shown.format()));
    }
}

TEST_F(ViewPaint, KeySignatureLabelStatusAndCaptionsSitWhereTheWindowPutsThem) {
    const QFontMetrics metrics(view_.font());
    const int cw = view_.CharSize().width(), ch = view_.CharSize().height();
    const auto expectRedText = [&](const QImage& image, const QString& text, QPoint at) {
        SCOPED_TRACE(text.toStdString());
        const QRect box(at, QSize(metrics.horizontalAdvance(text), ch));
        const QRect ink = InkBox(image, box.adjusted(-2, 0, 2, 0), true);
        EXPECT_NEAR(ink.left(), box.left(), 2);
        EXPECT_NEAR(ink.right(), box.right(), 3);
    };
    // The key signature's label stands right of the picture.
    const QPoint label((800 + kPictureWidth) / 2, (origin_.y() - ch - 32) / 2 + 32);
    performance_.keySignature = 1314;
    EXPECT_EQ(InstrumentCaption(performance_), "Acoustic Grand Piano    1=bA");
    expectRedText(Grab(), ToQString(InstrumentCaption(performance_)), label);
    performance_.keySignature = 1328;
    performance_.program = 40;
    EXPECT_EQ(InstrumentCaption(performance_), "Violin    6=#f");

    const QImage image = Grab();
    expectRedText(image, ToQString(InstrumentCaption(performance_)), label);
    expectRedText(image, "Open", {cw, 600 - 4 * ch});
    expectRedText(image, "Track 1", {20 * cw, 600 - 4 * ch});
    expectRedText(image, QString::fromLatin1(kHintText), {cw, 600 - 3 * ch});
    expectRedText(image, "Force", {800 * 143 / 160, origin_.y() + 195});
    performance_.deviceId = 7;  // a device the system no longer lists
    EXPECT_EQ(DeviceNameText(performance_), "");
}

}  // namespace
}  // namespace plinkora::testing
