#include <QAccessible>
#include <QMenuBar>
#include <QScrollBar>
#include <QToolBar>

#include "recording/playback.h"
#include "shell_test_fixture.h"
#include "view/keyboard_view.h"
#include "view/qt_geometry.h"

namespace plinkora::testing {
namespace {

// The offscreen platform has no accessibility bridge, so Qt drops every event before an
// update handler could see it; the announcements are checked on the real bus instead.
class Accessibility : public ShellTest {
  protected:
    void SetUp() override { Start(); }

    static QAccessibleInterface* Of(QObject* object) {
        return QAccessible::queryAccessibleInterface(object);
    }
    // The nth child of the parent that is wanted.
    template <typename Wanted>
    static QAccessibleInterface* Find(QAccessibleInterface* parent, Wanted wanted, int nth = 0) {
        for (int i = 0; i < parent->childCount(); ++i) {
            if (wanted(parent->child(i)) && nth-- == 0) {
                return parent->child(i);
            }
        }
        return nullptr;
    }
    QAccessibleInterface* ViewPart(QAccessible::Role role, int nth = 0) const {
        return Find(
            Of(window_->View()), [&](auto* part) { return part->role() == role; }, nth);
    }
    QAccessibleInterface* Keyboard() const { return ViewPart(QAccessible::Grouping); }
    QAccessibleInterface* Label() const { return ViewPart(QAccessible::StaticText, 0); }
    QAccessibleInterface* Status() const { return ViewPart(QAccessible::StaticText, 1); }
    QAccessibleInterface* KeyNamed(const QString& name) const {
        return Find(Keyboard(), [&](auto* key) { return key->text(QAccessible::Name) == name; });
    }
};

TEST_F(Accessibility, ToolbarButtonsAreNamedAfterTheirInstrumentsAndShowNoTips) {
    auto* toolbar = window_->findChild<QToolBar*>();
    ASSERT_NE(toolbar, nullptr);
    QStringList names;
    for (QAction* action : toolbar->actions()) {
        QWidget* button = toolbar->widgetForAction(action);
        EXPECT_TRUE(button->toolTip().isEmpty());
        names << Of(button)->text(QAccessible::Name);
    }
    EXPECT_EQ(names.size(), 14);
    EXPECT_EQ(names.first(), "Acoustic Grand Piano");
    EXPECT_EQ(names[5], "Violin");
    EXPECT_EQ(names.last(), "Bird Tweet");
}

TEST_F(Accessibility, BarsReadForceAndBendAsAPlayerThinksOfThem) {
    struct Case {
        QScrollBar* bar;
        const char* name;
        int value, minimum, maximum;
    };
    for (const Case& c : {Case{window_->ForceBar(), "Force", 127, 1, 127},
                          Case{window_->FreqBar(), "Freq", 0, -8191, 8191}}) {
        QAccessibleInterface* bar = Of(c.bar);
        EXPECT_EQ(bar->role(), QAccessible::ScrollBar);
        EXPECT_EQ(bar->text(QAccessible::Name), c.name);
        QAccessibleValueInterface* value = bar->valueInterface();
        ASSERT_NE(value, nullptr) << c.name;
        EXPECT_EQ(value->currentValue().toInt(), c.value) << c.name;
        EXPECT_EQ(value->minimumValue().toInt(), c.minimum) << c.name;
        EXPECT_EQ(value->maximumValue().toInt(), c.maximum) << c.name;
    }

    // Set through the screen reader, the force goes where a dragged thumb would put it.
    Of(window_->ForceBar())->valueInterface()->setCurrentValue(100);
    EXPECT_EQ(window_->performance().force, 100);
    EXPECT_EQ(Of(window_->ForceBar())->valueInterface()->currentValue().toInt(), 100);
}

TEST_F(Accessibility, KeyboardHoldsTheFortyFiveKeysNamedAsDrawn) {
    QAccessibleInterface* keyboard = Keyboard();
    ASSERT_NE(keyboard, nullptr);
    EXPECT_EQ(keyboard->text(QAccessible::Name), "Keyboard");
    ASSERT_EQ(keyboard->childCount(), 45);
    EXPECT_EQ(keyboard->child(0)->text(QAccessible::Name), "1, flat 5 double low");
    EXPECT_EQ(keyboard->child(44)->text(QAccessible::Name), "/, 3 high");
    for (const char* name :
         {"Q, 5 double low", "R, 1 low", "A, 1", "K, 1 high", "Z, flat 2", "', 4 high"}) {
        EXPECT_NE(KeyNamed(name), nullptr) << name;
    }
    const QRect capOfA = ToQRect(CapRect(window_->View()->KeyboardOriginPoint(), 30));
    EXPECT_EQ(KeyNamed("A, 1")->rect(),
              QRect(window_->View()->mapToGlobal(capOfA.topLeft()), capOfA.size()));
    EXPECT_EQ(keyboard->childAt(KeyNamed("A, 1")->rect().center().x(),
                                KeyNamed("A, 1")->rect().center().y()),
              KeyNamed("A, 1"));
}

TEST_F(Accessibility, KeysShowPressedWhileTheySoundLiveOrPlayedBack) {
    QAccessibleInterface* keyA = KeyNamed("A, 1");
    Press(kNativeA, Qt::Key_A);
    EXPECT_TRUE(keyA->state().pressed);
    Release(kNativeA, Qt::Key_A);
    EXPECT_FALSE(keyA->state().pressed);

    QAccessibleInterface* keyS = KeyNamed("S, 2");
    PlayRecordedEvent(window_->performance(), {0, kKeyDown, KeyParam(31), 0});
    EXPECT_TRUE(keyS->state().pressed);
    // Esc silences everything: the key is no longer shown pressed, though still down.
    Tap(kNativeEsc, Qt::Key_Escape);
    EXPECT_FALSE(keyS->state().pressed);
}

TEST_F(Accessibility, LabelAndStatusLineAreTextThatFollowsTheirChanges) {
    ASSERT_NE(Label(), nullptr);
    EXPECT_EQ(Label()->textInterface()->text(0, 100), "Acoustic Grand Piano    1=C");
    EXPECT_EQ(Label()->text(QAccessible::Name), "Acoustic Grand Piano, C Major, 1=C");
    const QString status = Status()->text(QAccessible::Name);
    EXPECT_TRUE(status.startsWith("Open, ") && status.endsWith(", Track 1"))
        << status.toStdString();

    Choose(1298);  // Alt+D
    EXPECT_EQ(Label()->textInterface()->text(0, 100), "Acoustic Grand Piano    1=D");
    EXPECT_EQ(Label()->text(QAccessible::Name), "Acoustic Grand Piano, D Major, 1=D");
    // The window keeps the focus: a notification and its description tell what changed.
    EXPECT_EQ(ViewPart(QAccessible::Notification)->text(QAccessible::Name),
              "Acoustic Grand Piano, D Major, 1=D");
    EXPECT_EQ(window_->accessibleDescription(), "Acoustic Grand Piano, D Major, 1=D");

    Choose(kCloseDeviceCommand);
    EXPECT_EQ(Status()->text(QAccessible::Name), "Close" + status.mid(4));
    EXPECT_EQ(window_->accessibleDescription(), "Close" + status.mid(4));

    // Sharps and flats are spoken, not spelt.
    const std::vector<std::pair<int, QString>> spoken = {
        {1304, "Acoustic Grand Piano, F sharp Major, 1=#F"},
        {1312, "Acoustic Grand Piano, B flat Major, 1=bB"},
        {1330, "Acoustic Grand Piano, G sharp Minor, 6=#g"},
    };
    for (const auto& [command, name] : spoken) {
        Choose(command);
        EXPECT_EQ(Label()->text(QAccessible::Name), name);
    }
}

// With a screen reader listening, the Alt of an accelerator can come after its letter and look
// like a lone tap of Alt, which gives the menu bar the keyboard; a lone tap still does.
TEST_F(Accessibility, TheAltOfAnAcceleratorLeavesTheKeyboardToTheInstrument) {
    Press(kNativeD, Qt::Key_D, Qt::AltModifier);
    Release(kNativeD, Qt::Key_D, Qt::AltModifier);
    Press(64, Qt::Key_Alt, Qt::AltModifier);
    Release(64, Qt::Key_Alt);
    EXPECT_TRUE(Checked(1298));
    EXPECT_FALSE(window_->menuBar()->hasFocus());
    const size_t before = Words().size();
    Tap(kNativeA, Qt::Key_A);
    EXPECT_GT(Words().size(), before);

    Press(64, Qt::Key_Alt, Qt::AltModifier);
    Release(64, Qt::Key_Alt);
    EXPECT_TRUE(window_->menuBar()->hasFocus());
}

}  // namespace
}  // namespace plinkora::testing
