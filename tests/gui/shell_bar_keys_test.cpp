#include <QAccessible>
#include <QScrollBar>

#include "engine/controls.h"
#include "shell_test_fixture.h"
#include "window/command_ids.h"

namespace plinkora::testing {
namespace {

using BarKeysTest = ShellTest;

// X11 key codes of the arrows and page keys, and of the keypad's 8 with Num Lock off.
constexpr int kNativeUp = 111, kNativePageUp = 112, kNativeLeft = 113, kNativeRight = 114;
constexpr int kNativeDown = 116, kNativePageDown = 117, kNativeKeypad8 = 80;

TEST_F(BarKeysTest, ArrowsAndPageKeysStepTheForceWithinItsRange) {
    MainWindow& window = Start();
    Words().clear();
    struct Step {
        int native;
        Qt::Key key;
        bool repeat;
        int force;
    };
    const Step steps[] = {
        {kNativeDown, Qt::Key_Down, false, 126},
        {kNativeDown, Qt::Key_Down, true, 125},
        {kNativePageDown, Qt::Key_PageDown, false, 117},
        {kNativeUp, Qt::Key_Up, false, 118},
        {kNativePageUp, Qt::Key_PageUp, false, 126},
        {kNativePageUp, Qt::Key_PageUp, false, 127},
        {kNativeUp, Qt::Key_Up, false, 127},
    };
    QAccessibleInterface* read = QAccessible::queryAccessibleInterface(window.ForceBar());
    for (const Step& step : steps) {
        Key(QEvent::KeyPress, step.native, step.key, {}, step.repeat);
        EXPECT_EQ(window.performance().force, step.force) << step.native;
        EXPECT_EQ(window.ForceBar()->value(), 128 - step.force);
        EXPECT_EQ(read->valueInterface()->currentValue().toInt(), step.force);
    }
    Release(kNativeUp, Qt::Key_Up);
    for (int i = 0; i < 17; ++i) {
        Tap(kNativePageDown, Qt::Key_PageDown);
    }
    Tap(kNativeDown, Qt::Key_Down);
    EXPECT_EQ(window.performance().force, 1);
    Tap(kNativeKeypad8, Qt::Key_Up, Qt::KeypadModifier);  // a keypad key, not the arrow
    EXPECT_EQ(window.performance().force, 1);
    EXPECT_TRUE(Words().empty());
    Tap(kNativeA, Qt::Key_A);
    EXPECT_EQ(Words(), (Sent{NoteOn(0, 60, 1), NoteOff(0, 60)}));
}

// A held arrow is the wheel held at its end; the other arrow, pressed meanwhile, takes over
// until it is let go.
TEST_F(BarKeysTest, HeldArrowsBendTheTrackFullyAndSpringBackAndSendNothingWhileClosed) {
    MainWindow& window = Start();
    ChooseTrack(window.performance(), 2);
    SetBourdon(window.performance(), true);
    QScrollBar& freq = *window.FreqBar();
    Words().clear();
    Press(kNativeRight, Qt::Key_Right);
    EXPECT_EQ(freq.value(), kFreqBarMin);
    Key(QEvent::KeyRelease, kNativeRight, Qt::Key_Right, {}, true);
    Key(QEvent::KeyPress, kNativeRight, Qt::Key_Right, {}, true);
    Press(kNativeLeft, Qt::Key_Left);
    EXPECT_EQ(freq.value(), kFreqBarMax);
    Release(kNativeLeft, Qt::Key_Left);
    Release(kNativeRight, Qt::Key_Right);
    EXPECT_EQ(freq.value(), FreqBarPosition(kBendRest));
    EXPECT_EQ(Words(), (Sent{Bend(2, 0x3FFE), Bend(2, 0), Bend(2, 0x3FFE), Bend(2, kBendRest)}));

    window.Command(kCloseDeviceCommand);
    Words().clear();
    Press(kNativeLeft, Qt::Key_Left);
    EXPECT_EQ(freq.value(), kFreqBarMax);
    Release(kNativeLeft, Qt::Key_Left);
    EXPECT_EQ(freq.value(), FreqBarPosition(kBendRest));
    EXPECT_TRUE(Words().empty());
}

TEST_F(BarKeysTest, AHeldBendSpringsBackWhenAMenuOrAnotherWindowTakesTheKeyboard) {
    MainWindow& window = Start();
    Words().clear();
    Press(kNativeRight, Qt::Key_Right);
    Press(13, Qt::Key_4, Qt::AltModifier);
    ASSERT_TRUE(WaitUntil([] { return QApplication::activePopupWidget() != nullptr; }));
    QApplication::activePopupWidget()->close();
    EXPECT_EQ(Words(), (Sent{Bend(0, 0x3FFE), Bend(0, kBendRest)}));

    Press(kNativeLeft, Qt::Key_Left);
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(WaitUntil([&] { return QApplication::activeWindow() == &other; }));
    EXPECT_EQ(Words().back(), Bend(0, kBendRest));
    EXPECT_EQ(window.FreqBar()->value(), FreqBarPosition(kBendRest));
}

}  // namespace
}  // namespace plinkora::testing
