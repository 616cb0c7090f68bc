#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QSet>

#include "view/artwork.h"

namespace plinkora::testing {
namespace {

const QColor kBackground(20, 100, 20);

struct ImageFile {
    const char* name;
    QSize size;
};

// Every picture the program loads, at its size on a normal screen.
const ImageFile kImages[] = {
    {"instrument_pictures", {2565, 141}},
    {"keycap_strip", {152, 39}},
    {"toolbar_icons", {480, 32}},
    {"splash", {200, 200}},
    {"cursor_pointing_hand", {32, 32}},
    {"cursor_open_hand", {32, 32}},
    {"fixed_caps/fixed_cap_alt", {50, 39}},
    {"fixed_caps/fixed_cap_menu", {50, 39}},
    {"fixed_caps/fixed_cap_backspace", {38, 39}},
    {"fixed_caps/fixed_cap_space", {220, 39}},
    {"fixed_caps/fixed_cap_caps", {67, 39}},
    {"fixed_caps/fixed_cap_ctrl", {50, 39}},
    {"fixed_caps/fixed_cap_enter", {85, 39}},
    {"fixed_caps/fixed_cap_blank", {57, 39}},
    {"fixed_caps/fixed_cap_shift_left", {86, 39}},
    {"fixed_caps/fixed_cap_bar_backslash", {38, 39}},
    {"fixed_caps/fixed_cap_shift_right", {104, 39}},
    {"fixed_caps/fixed_cap_tab", {57, 39}},
    {"fixed_caps/fixed_cap_tilde_grave", {38, 39}},
    {"fixed_caps/fixed_cap_system", {50, 39}},
};

QImage Load(const QString& name, const char* suffix) {
    return QImage(QStringLiteral(":/images/%1%2.png").arg(name, suffix));
}

TEST(Artwork, EveryImageHasItsSizeAndASharpTwin) {
    for (const ImageFile& file : kImages) {
        SCOPED_TRACE(file.name);
        EXPECT_EQ(Load(file.name, "").size(), file.size);
        EXPECT_EQ(Load(file.name, "@2x").size(), file.size * 2);
    }
    for (int size : {16, 32, 48, 64, 128, 256}) {
        EXPECT_EQ(QImage(QStringLiteral(":/images/icons/plinkora-%1.png").arg(size)).size(),
                  QSize(size, size));
    }
}

TEST(Artwork, BackgroundIsTheFirstPixelOfThePictures) {
    EXPECT_EQ(Load("instrument_pictures", "").pixelColor(0, 0).toRgb(), kBackground);
    EXPECT_EQ(Load("instrument_pictures", "@2x").pixelColor(0, 0).toRgb(), kBackground);
    EXPECT_EQ(artwork::BackgroundColour(), kBackground);
}

TEST(Artwork, KeyCapTintsShowOnTheirLeftBevel) {
    const QColor bevels[] = {{144, 143, 160}, {80, 143, 207}, {192, 80, 105}, {93, 187, 111}};
    const QImage strip = Load("keycap_strip", "");
    const QImage sharp = Load("keycap_strip", "@2x");
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(strip.pixelColor(38 * i + 2, 19).toRgb(), bevels[i]);
        EXPECT_EQ(sharp.pixelColor(2 * (38 * i + 2), 38).toRgb(), bevels[i]);
    }
}

// A strip whose parts are missing or repeated shows the wrong thing for some instrument.
void ExpectDistinctParts(const QImage& strip, int width, int count) {
    QSet<QByteArray> seen;
    for (int i = 0; i < count; ++i) {
        const QImage part = strip.copy(i * width, 0, width, strip.height());
        const QByteArray bytes(reinterpret_cast<const char*>(part.constBits()), part.sizeInBytes());
        EXPECT_FALSE(seen.contains(bytes)) << "part " << i << " repeats an earlier one";
        seen.insert(bytes);
        const QRgb corner = part.pixel(0, 0);
        int differing = 0;
        for (int y = 0; y < part.height(); ++y) {
            for (int x = 0; x < part.width(); ++x) {
                differing += part.pixel(x, y) != corner;
            }
        }
        EXPECT_GT(differing, part.width() * part.height() / 20) << "part " << i << " is empty";
    }
}

TEST(Artwork, EveryPictureAndIconIsDrawn) {
    ExpectDistinctParts(Load("instrument_pictures", ""), 171, 15);
    ExpectDistinctParts(Load("toolbar_icons", ""), 32, 15);
}

TEST(Artwork, CursorsComeFromTheArtworkWithTheirHotSpots) {
    const QCursor pointing = artwork::PointingHandCursor();
    EXPECT_EQ(pointing.shape(), Qt::BitmapCursor);
    EXPECT_EQ(pointing.hotSpot(), QPoint(10, 2));
    const QCursor open = artwork::OpenHandCursor();
    EXPECT_EQ(open.shape(), Qt::BitmapCursor);
    EXPECT_EQ(open.hotSpot(), QPoint(7, 8));
    EXPECT_FALSE(artwork::ProgramIcon().isNull());
}

}  // namespace
}  // namespace plinkora::testing
