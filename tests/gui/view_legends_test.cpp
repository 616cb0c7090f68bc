#include <xkbcommon/xkbcommon.h>

#include <QAccessible>

#include "view/keymap_watch.h"
#include "view/xkb_legends.h"
#include "view_fixture.h"

namespace plinkora::testing {
namespace {

// Scan codes by the US letter at the position.
constexpr int kKey1 = 0x02, kKeyMinus = 0x0C, kKeyEquals = 0x0D, kKeyQ = 0x10, kKeyY = 0x15,
              kKeyLeftBracket = 0x1A, kKeySemicolon = 0x27, kKeyQuote = 0x28, kKeyZ = 0x2C,
              kKeyM = 0x32;

KeyLegends Layout(const char* name) {
    std::optional<KeyLegends> legends = LegendsForLayout(name);
    return legends ? *legends : KeyLegends();
}

#define SKIP_WITHOUT_KEYBOARD_DATA()                                               \
    if (!LegendsForLayout("us")) {                                                 \
        GTEST_SKIP() << "no xkb keyboard data (xkb-data) to compile layouts from"; \
    }

TEST(KeyLegends, EachLayoutNamesTheKeysByWhatTheyType) {
    SKIP_WITHOUT_KEYBOARD_DATA();
    const KeyLegends us = Layout("us");
    EXPECT_TRUE(us.LikeUs());
    EXPECT_EQ(us, KeyLegends());
    EXPECT_EQ(us.CapLegend(kKeyA), "A");
    EXPECT_EQ(us.CapLegend(kKeySemicolon), ";");

    struct Case {
        const char* layout;
        int scanCode;
        const char* legend;
    };
    for (const Case& c :
         {Case{"de", kKeyY, "Z"}, Case{"de", kKeyZ, "Y"}, Case{"de", kKeyMinus, "\u00DF"},
          Case{"de", kKeyEquals, "\u00B4"}, Case{"de", kKeySemicolon, "\u00D6"},
          Case{"de", kKeyQuote, "\u00C4"}, Case{"de", kKeyLeftBracket, "\u00DC"},
          Case{"de", kKeyA, "A"}, Case{"fr", kKeyA, "Q"}, Case{"fr", kKeyQ, "A"},
          Case{"fr", kKeyZ, "W"}, Case{"fr", kKeySemicolon, "M"}, Case{"fr", kKeyM, ","},
          Case{"fr", kKey1, "&"}, Case{"fr", 0x03, "\u00E9"}}) {
        const KeyLegends legends = Layout(c.layout);
        EXPECT_FALSE(legends.LikeUs()) << c.layout;
        EXPECT_EQ(legends.CapLegend(c.scanCode), QString::fromUtf8(c.legend))
            << c.layout << " " << c.scanCode;
    }
    // The keys beside the playing ones: a dead key shows the accent it adds.
    EXPECT_EQ(Layout("de").Print(kGraveKey), (KeyPrint{"^", "\u00B0"}));
    EXPECT_EQ(Layout("de").Print(kBackslashKey), (KeyPrint{"#", "'"}));
    EXPECT_FALSE(Layout("fr").LikeUs(kBackslashKey));
    EXPECT_TRUE(Layout("de").LikeUs(kKeyA));
}

TEST(KeyLegends, KeysymsWithoutALegendGiveNone) {
    EXPECT_EQ(KeysymLegend(0xff09), "");        // Tab
    EXPECT_EQ(KeysymLegend(0xfe51), "\u00B4");  // dead_acute
    EXPECT_EQ(KeysymLegend(0x00e4), "\u00E4");
    EXPECT_EQ(KeyLegends().CapLegend(0x01), "");  // Esc carries none, nor beyond the table
    EXPECT_EQ(KeyLegends().Print(kKeyTableSize), KeyPrint{});
}

// A keymap as a Wayland compositor sends it: its text, with the NUL the protocol adds.
QByteArray KeymapText(const char* layouts) {
    xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_ENVIRONMENT_NAMES);
    const xkb_rule_names names{"evdev", "pc105", layouts, "", ""};
    xkb_keymap* keymap = xkb_keymap_new_from_names(context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS);
    char* text =
        keymap != nullptr ? xkb_keymap_get_as_string(keymap, XKB_KEYMAP_FORMAT_TEXT_V1) : nullptr;
    QByteArray result = text != nullptr ? QByteArray(text, qstrlen(text) + 1) : QByteArray();
    free(text);
    xkb_keymap_unref(keymap);
    xkb_context_unref(context);
    return result;
}

TEST(KeyLegends, ASentKeymapGivesTheLegendsOfItsActiveLayout) {
    SKIP_WITHOUT_KEYBOARD_DATA();
    const QByteArray frenchThenUs = KeymapText("fr,us");
    ASSERT_FALSE(frenchThenUs.isEmpty());
    EXPECT_EQ(LegendsFromKeymapText(frenchThenUs, 0), Layout("fr"));
    EXPECT_EQ(LegendsFromKeymapText(frenchThenUs, 1), Layout("us"));
    // XKB wraps a group number past the last layout round to the first.
    EXPECT_EQ(LegendsFromKeymapText(frenchThenUs, 2), Layout("fr"));
}

TEST(KeyLegends, ASentTextThatIsNoKeymapGivesNone) {
    EXPECT_EQ(LegendsFromKeymapText(QByteArray(), 0), std::nullopt);
    EXPECT_EQ(LegendsFromKeymapText(QByteArrayLiteral("xkb_keymap { nonsense"), 0), std::nullopt);
}

// A keymap whose layout the test switches, as a user switches it while the program runs.
class ViewLegends : public ViewTest {
  protected:
    ViewLegends() {
        view_.FollowKeymap(new KeymapWatch([this] { return Layout(layout_); }, nullptr));
    }
    void SwitchTo(const char* layout) {
        layout_ = layout;
        view_.findChild<KeymapWatch*>()->Reload();
    }
    QString KeyName(int scanCode) {
        QAccessibleInterface* view = QAccessible::queryAccessibleInterface(&view_);
        for (int i = 0; i < view->childCount(); ++i) {
            QAccessibleInterface* part = view->child(i);
            if (part->role() != QAccessible::Grouping) {
                continue;
            }
            for (int k = 0; k < part->childCount(); ++k) {
                if (part->child(k)->rect() ==
                    Cap(scanCode).translated(view_.mapToGlobal(QPoint(0, 0)))) {
                    return part->child(k)->text(QAccessible::Name);
                }
            }
        }
        return {};
    }
    // The cap's bottom-left corner, where a layout's letter goes.
    QImage Corner(int scanCode) {
        const QRect cap = Cap(scanCode);
        return Grab().copy(cap.x() + 5, cap.y() + 21, 11, 13);
    }
    QImage FixedCap(int left) { return Grab().copy(origin_.x() + left, origin_.y(), 38, 39); }

    const char* layout_ = "us";
};

TEST_F(ViewLegends, CapsAndNamesFollowTheLayoutAndItsChanges) {
    SKIP_WITHOUT_KEYBOARD_DATA();
    const QImage usCorner = Corner(kKeyA), usGrave = FixedCap(-38);
    const QImage usBackslash = FixedCap(456);
    EXPECT_EQ(KeyName(kKeyA), "A, 1");

    SwitchTo("fr");
    EXPECT_EQ(KeyName(kKeyA), "Q, 1");
    EXPECT_EQ(KeyName(kKeyQ), "A, 5 double low");
    EXPECT_NE(Corner(kKeyA), usCorner);
    EXPECT_NE(FixedCap(-38), usGrave);
    EXPECT_NE(FixedCap(456), usBackslash);

    // Under a US layout the caps are the artwork's again, pixel for pixel.
    SwitchTo("us");
    EXPECT_EQ(KeyName(kKeyA), "A, 1");
    EXPECT_EQ(Corner(kKeyA), usCorner);
    EXPECT_EQ(FixedCap(-38), usGrave);

    SwitchTo("de");
    EXPECT_EQ(KeyName(kKeyY), "Z, 3 low");
    EXPECT_NE(Corner(kKeyY), Corner(kKeyZ));
}

TEST_F(ViewLegends, ALetterDrawnOnACapLeavesTheNoteAndItsDotsClear) {
    SKIP_WITHOUT_KEYBOARD_DATA();
    const QRect cap = Cap(kKey1);
    const QImage us = Grab().copy(cap);
    SwitchTo("fr");
    const QImage fr = Grab().copy(cap);
    QRect changed;
    for (int y = 0; y < cap.height(); ++y) {
        for (int x = 0; x < cap.width(); ++x) {
            if (us.pixel(x, y) != fr.pixel(x, y)) {
                changed |= QRect(x, y, 1, 1);
            }
        }
    }
    // "b5" with two dots below: the label spans the middle, the dots the centre column.
    EXPECT_FALSE(changed.isEmpty());
    EXPECT_LT(changed.right(), 16);
    EXPECT_GE(changed.top(), 21);
}

}  // namespace
}  // namespace plinkora::testing
