#include <QMenu>
#include <QScrollBar>

#include "shell_test_fixture.h"
#include "view/keyboard_view.h"
#include "view/qt_geometry.h"
#include "window/command_ids.h"
#include "window/keyboard_geometry.h"

namespace plinkora::testing {
namespace {

using KeysTest = ShellTest;

// How Shift and Ctrl move a group is the engine's; the window hands it every key and Esc.
TEST_F(KeysTest, EscSilencesEveryChannelAndForgetsTheHeldGroup) {
    MainWindow& window = Start();
    modifiers_.shift = true;
    Press(kNativeA, Qt::Key_A, Qt::ShiftModifier);
    EXPECT_EQ(Words().back(), NoteOn(0, 72));
    Words().clear();
    Press(kNativeEsc, Qt::Key_Escape);
    EXPECT_EQ(Words(), AllNotesOff());
    EXPECT_EQ(window.performance().heldShift, 0);
}

TEST_F(KeysTest, TheKeypadsDivideKeyPlaysAsTheSlashDoes) {
    Start();
    Words().clear();
    constexpr int kNativeKeypadDivide = 106, kNativeSlash = 61;
    Tap(kNativeKeypadDivide, Qt::Key_Slash, Qt::KeypadModifier);
    Tap(kNativeSlash, Qt::Key_Slash);
    EXPECT_EQ(Words(), (Sent{NoteOn(0, 76), NoteOff(0, 76), NoteOn(0, 76), NoteOff(0, 76)}));
}

TEST_F(KeysTest, AltAcceleratorsNeverPlayAndWorkWhereverTheFocusIs) {
    MainWindow& window = Start();
    Words().clear();
    Tap(kNativeS, Qt::Key_S, Qt::AltModifier);
    EXPECT_FALSE(window.performance().DeviceOpen());
    EXPECT_TRUE(Checked(257));
    EXPECT_EQ(Words(), AllNotesOff());
    Words().clear();
    Tap(kNativeA, Qt::Key_A);
    EXPECT_TRUE(Words().empty());
    Press(32, Qt::Key_O, Qt::AltModifier);
    EXPECT_TRUE(window.performance().DeviceOpen());
    EXPECT_TRUE(Checked(256));
    EXPECT_EQ(Words(), (Sent{Program(0, 0), Program(15, 0)}));

    Words().clear();
    Press(kNativeD, Qt::Key_D, Qt::AltModifier);
    Release(kNativeD, Qt::Key_D);  // Alt went up first: the release is still the accelerator's
    EXPECT_TRUE(Words().empty());
    EXPECT_TRUE(Checked(1298));
    EXPECT_FALSE(Checked(1297));
    Tap(kNativeA, Qt::Key_A);
    EXPECT_EQ(Words(), (Sent{NoteOn(0, 62), NoteOff(0, 62)}));

    window.FreqBar()->setFocus();
    Press(43, Qt::Key_H, Qt::AltModifier);  // "#F Major"
    EXPECT_TRUE(Checked(1304));
}

TEST_F(KeysTest, AltDigitsOpenTheMenusAndTheDigitPlaysAfterwards) {
    Start();
    Press(12, Qt::Key_3, Qt::AltModifier);
    ASSERT_TRUE(WaitUntil([] { return QApplication::activePopupWidget() != nullptr; }));
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->title(), "Mode(&3)");
    menu->close();
    EXPECT_EQ(Words().size(), 1u) << "the digit played a note";

    // The menu took the digit's release; that must not swallow the next one.
    Words().clear();
    Tap(12, Qt::Key_3);
    EXPECT_EQ(Words(), (Sent{NoteOn(0, 46), NoteOff(0, 46)}));
}

// Keys held when the keyboard goes to a menu or another window are released there and then:
// their own releases never come back, and the note would hang.
TEST_F(KeysTest, AMenuOrAnotherWindowTakingTheKeyboardReleasesHeldKeysAndPlaysNothing) {
    MainWindow& window = Start();
    Click(*window.Button(kBeginRecordCommand));
    Words().clear();
    Press(kNativeA, Qt::Key_A);
    const QPointF onS = ToQRect(CapRect(window.View()->KeyboardOriginPoint(), 31)).center();
    QMouseEvent click(QEvent::MouseButtonPress, onS, window.View()->mapToGlobal(onS),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.View(), &click);  // S held with the mouse
    Words().clear();
    Press(13, Qt::Key_4, Qt::AltModifier);
    ASSERT_TRUE(WaitUntil([] { return QApplication::activePopupWidget() != nullptr; }));
    QWidget* menu = QApplication::activePopupWidget();
    // G is no item's letter: the menu passes it on to the menu bar and so to the window.
    QKeyEvent g(QEvent::KeyPress, Qt::Key_G, Qt::NoModifier, 42, 0, 0, QStringLiteral("g"));
    QApplication::sendEvent(menu, &g);
    menu->close();
    EXPECT_EQ(Words(), (Sent{NoteOff(0, 60), NoteOff(0, 62)}));
    EXPECT_EQ(window.View()->MouseKeyIndex(), kNoMouseKey);
    EXPECT_EQ(window.recording().RecordedCount(), 4u);

    Press(kNativeS, Qt::Key_S);
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(WaitUntil([&] { return QApplication::activeWindow() == &other; }));
    EXPECT_EQ(Words().back(), NoteOff(0, 62));
    EXPECT_EQ(window.recording().RecordedCount(), 6u);
    window.activateWindow();
    ASSERT_TRUE(WaitUntil([&] { return QApplication::activeWindow() == &window; }));
    modifiers_.shift = true;
    Tap(kNativeA, Qt::Key_A, Qt::ShiftModifier);  // no chord is left held: Shift counts
    EXPECT_EQ(Words().back(), NoteOff(0, 72));
}

TEST_F(KeysTest, AKeyPressedAfterAButtonClickStillPlaysAndClickedCapsPlayToo) {
    MainWindow& window = Start();
    Click(*window.Button(kBeginRecordCommand));
    EXPECT_TRUE(window.recording().isRecording);
    EXPECT_EQ(QApplication::focusWidget(), &window);
    Words().clear();
    Tap(kNativeA, Qt::Key_A);
    emit window.View()->MouseKey(KeyPress(31));
    emit window.View()->MouseKey(KeyRelease(31));
    EXPECT_EQ(Words(), (Sent{NoteOn(0, 60), NoteOff(0, 60), NoteOn(0, 62), NoteOff(0, 62)}));
    EXPECT_EQ(window.recording().RecordedCount(), 4u);
}

TEST_F(KeysTest, HeldKeysSoundOnceThroughEitherKindOfRepeat) {
    Start();
    Words().clear();
    Press(kNativeA, Qt::Key_A);
    Key(QEvent::KeyRelease, kNativeA, Qt::Key_A, Qt::NoModifier, true);
    Key(QEvent::KeyPress, kNativeA, Qt::Key_A, Qt::NoModifier, true);
    // The pair that X11 sometimes sends without the repeat flag shares one time stamp.
    for (QEvent::Type type : {QEvent::KeyRelease, QEvent::KeyPress}) {
        QKeyEvent event(type, Qt::Key_A, Qt::NoModifier, kNativeA, 0, 0);
        event.setTimestamp(7777);
        QApplication::sendEvent(QApplication::focusWidget(), &event);
    }
    // A repeat that arrives with Alt down is still the note's, and so is the release after it.
    Key(QEvent::KeyPress, kNativeA, Qt::Key_A, Qt::AltModifier, true);
    Settle();
    EXPECT_EQ(Words(), Sent{NoteOn(0, 60)});
    Release(kNativeA, Qt::Key_A);
    EXPECT_EQ(Words(), (Sent{NoteOn(0, 60), NoteOff(0, 60)}));
}

// The space bar reaches the engine as a key: it is the pedal, lifted as held keys are released
// when another window takes the keyboard.
TEST_F(KeysTest, SpaceHoldsThePedalUntilReleasedOrTheKeyboardGoesElsewhere) {
    constexpr int kNativeSpace = 0x39 + 8;
    MainWindow& window = Start();
    const QImage before = window.View()->grab().toImage();
    Words().clear();
    Press(kNativeSpace, Qt::Key_Space);
    Key(QEvent::KeyPress, kNativeSpace, Qt::Key_Space, {}, true);
    EXPECT_EQ(Words(), Sent{ShortMessage(kControlChange, 0, 64, 127)});
    EXPECT_NE(window.View()->grab().toImage(), before);  // the bar is drawn pressed
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(WaitUntil([&] { return QApplication::activeWindow() == &other; }));
    EXPECT_EQ(Words().back(), ShortMessage(kControlChange, 0, 64, 0));
    EXPECT_EQ(window.View()->grab().toImage(), before);
}

}  // namespace
}  // namespace plinkora::testing
