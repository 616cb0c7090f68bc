#include <gtest/gtest.h>

#include <QImage>
#include <QSet>

#include "view/artwork.h"

namespace plinkora::testing {
namespace {

QImage Load(const QString& name, const char* suffix = "") {
    return QImage(QStringLiteral(":/images/%1%2.png").arg(name, suffix));
}

TEST(Artwork, EveryImageHasItsSizeAndASharpTwin) {
    struct ImageFile {
        QString name;
        QSize size;
    };
    std::vector<ImageFile> images = {
        {"instrument_pictures", {2565, 141}}, {"keycap_strip", {152, 39}},
        {"toolbar_icons", {480, 32}},         {"splash", {200, 200}},
        {"cursor_pointing_hand", {32, 32}},   {"cursor_open_hand", {32, 32}}};
    // The caps around the playing keys are all 39 pixels high.
    const std::pair<const char*, int> fixedCaps[] = {
        {"alt", 50},        {"menu", 50},          {"system", 50},      {"ctrl", 50},
        {"backspace", 38},  {"bar_backslash", 38}, {"tilde_grave", 38}, {"space", 220},
        {"caps", 67},       {"enter", 85},         {"blank", 57},       {"tab", 57},
        {"shift_left", 86}, {"shift_right", 104}};
    for (const auto& [name, width] : fixedCaps) {
        images.push_back({QStringLiteral("fixed_caps/fixed_cap_") + name, {width, 39}});
    }
    for (const ImageFile& file : images) {
        SCOPED_TRACE(file.name.toStdString());
        EXPECT_EQ(Load(file.name).size(), file.size);
        EXPECT_EQ(Load(file.name, "@2x").size(), file.size * 2);
    }
    for (int size : {16, 32, 48, 64, 128, 256}) {
        EXPECT_EQ(Load(QStringLiteral("icons/plinkora-%1").arg(size)).size(), QSize(size, size));
    }
    EXPECT_FALSE(artwork::ProgramIcon().isNull());
    for (const auto& [cursor, hotSpot] : {std::pair{artwork::PointingHandCursor(), QPoint(10, 2)},
                                          std::pair{artwork::OpenHandCursor(), QPoint(7, 8)}}) {
        EXPECT_EQ(cursor.shape(), Qt::BitmapCursor);
        EXPECT_EQ(cursor.hotSpot(), hotSpot);
    }
}

// A strip whose parts are blank or repeated shows the wrong thing for some instrument.
TEST(Artwork, EveryPictureAndIconIsDrawnOnce) {
    for (const auto& [name, width] :
         {std::pair{"instrument_pictures", 171}, {"toolbar_icons", 32}}) {
        const QImage strip = Load(name);
        QSet<QByteArray> seen;
        for (int i = 0; i < 15; ++i) {
            const QImage part = strip.copy(i * width, 0, width, strip.height());
            QImage blank = part;
            blank.fill(part.pixel(0, 0));
            EXPECT_NE(part, blank) << name << " part " << i;
            const QByteArray bytes(reinterpret_cast<const char*>(part.constBits()),
                                   part.sizeInBytes());
            EXPECT_FALSE(seen.contains(bytes)) << name << " part " << i;
            seen.insert(bytes);
        }
    }
}

// A window moved to a denser screen, or whose screen's scale went up, shows the sharp pictures.
TEST(Artwork, ThePicturesLoadAgainForAnotherDensity) {
    artwork::LoadForRatio(1.0);
    ASSERT_TRUE(artwork::LoadForRatio(2.0));
    EXPECT_FALSE(artwork::LoadForRatio(2.0));  // already loaded
    EXPECT_EQ(artwork::KeyCapStrip().devicePixelRatio(), 2.0);
    EXPECT_EQ(artwork::KeyCapStrip().size(), QSize(304, 78));
    EXPECT_EQ(artwork::InstrumentPicture(3).deviceIndependentSize(), QSizeF(171, 141));
    EXPECT_EQ(artwork::FixedCap(131).devicePixelRatio(), 2.0);

    EXPECT_TRUE(artwork::LoadForRatio(1.0));
    EXPECT_EQ(artwork::KeyCapStrip().devicePixelRatio(), 1.0);
    EXPECT_EQ(artwork::KeyCapStrip().size(), QSize(152, 39));
}

}  // namespace
}  // namespace plinkora::testing
