#include <QScrollBar>
#include <QToolBar>

#include "engine/controls.h"
#include "shell/command_ids.h"
#include "shell_test_fixture.h"

namespace plinkora::testing {
namespace {

using CommandsTest = ShellTest;

uint32_t Program(int channel, int program) {
    return ShortMessage(kProgramChange, channel, program, 0);
}

TEST_F(CommandsTest, ToolbarButtonAndMenuItemChooseTheSameInstrument) {
    MainWindow& window = Start();
    Words().clear();
    QAction* violin = window.findChild<QToolBar*>()->actions()[5];
    violin->trigger();
    EXPECT_EQ(window.performance().program, 40);
    EXPECT_TRUE(Checked(1064));
    EXPECT_FALSE(Checked(1024));
    EXPECT_EQ(Words(), (std::vector<uint32_t>{Program(0, 40), Program(15, 40)}));

    Choose(1024 + 73);  // Flute
    Choose(1064);       // Strings, item 1
    EXPECT_EQ(window.performance().program, 40);
    EXPECT_TRUE(Checked(1064));
    EXPECT_FALSE(Checked(1097));
}

TEST_F(CommandsTest, TrackTenIsThePercussionChannel) {
    MainWindow& window = Start();
    Words().clear();
    Choose(777);
    EXPECT_EQ(window.performance().channel, 9);
    EXPECT_TRUE(Checked(777));
    EXPECT_FALSE(Checked(768));
    EXPECT_EQ(Words(), (std::vector<uint32_t>{Program(9, 0), Program(15, 0)}));
    Press(kNativeA, Qt::Key_A);
    EXPECT_EQ(Words().back(), NoteOn(9, 60, 127));
}

TEST_F(CommandsTest, ClickingTheMarkedItemKeepsItsMark) {
    Start();
    Choose(256);  // already open: nothing but a repaint
    EXPECT_TRUE(Checked(256));
    Choose(1297);
    EXPECT_TRUE(Checked(1297));
    Choose(1333);
    Choose(1333);
    EXPECT_FALSE(Checked(1333));
}

TEST_F(CommandsTest, IdentifierRangesAreTakenWhole) {
    MainWindow& window = Start();
    const Performance& p = window.performance();
    window.Command(1306);  // inside the key signatures, but none of them
    window.Command(1152);  // beyond the last instrument
    window.Command(900);   // beyond the last track
    window.Command(42);    // below the device range: only a repaint
    EXPECT_EQ(p.keySignature, 1297);
    EXPECT_EQ(p.program, 0);
    EXPECT_EQ(p.channel, 0);
    EXPECT_TRUE(prompts_.messages.empty());

    window.Command(513);  // the second device, reopened at once
    EXPECT_EQ(p.deviceId, 1);
    EXPECT_TRUE(Checked(513));
    EXPECT_FALSE(Checked(512));
    EXPECT_TRUE(p.deviceOpen);

    window.Command(kHelpCommand);
    window.Command(kAboutCommand);
    window.Command(kTipsCommand);
    EXPECT_EQ(prompts_.dialogs,
              (std::vector<DialogKind>{DialogKind::TipsAtStartup, DialogKind::Help,
                                       DialogKind::About, DialogKind::TipOfTheDay}));
}

// Moves a bar's thumb as a drag does, then lets go of it.
void Drag(QScrollBar& bar, int position) {
    bar.setSliderDown(true);
    bar.setSliderPosition(position);
    bar.setSliderDown(false);
}

TEST_F(CommandsTest, ForceBarShowsTheForceUpsideDown) {
    MainWindow& window = Start();
    QScrollBar& bar = *window.ForceBar();
    bar.triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(window.performance().force, 127);
    EXPECT_EQ(bar.value(), 1);
    bar.triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(window.performance().force, 119);
    EXPECT_EQ(bar.value(), 9);
    Drag(bar, 100);
    EXPECT_EQ(window.performance().force, 28);
    EXPECT_EQ(bar.value(), 100);
    Words().clear();
    Press(kNativeA, Qt::Key_A);
    EXPECT_EQ(Words(), std::vector<uint32_t>{NoteOn(0, 60, 28)});
}

TEST_F(CommandsTest, FreqBarBendsWhileDraggedAndSpringsBack) {
    MainWindow& window = Start();
    QScrollBar& bar = *window.FreqBar();
    Words().clear();
    bar.triggerAction(QAbstractSlider::SliderPageStepSub);
    bar.triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_TRUE(Words().empty());
    EXPECT_EQ(bar.value(), 8192);

    bar.setSliderDown(true);
    bar.setSliderPosition(4000);
    const int bend = 0x3FFF - 4000;
    EXPECT_EQ(Words(), std::vector<uint32_t>{ShortMessage(kPitchBend, 0, bend & 0x7F, bend >> 7)});
    bar.setSliderDown(false);
    EXPECT_EQ(Words().back(), ShortMessage(kPitchBend, 0, 0x7F, 0x3F));  // 8191
    EXPECT_EQ(bar.value(), 8192);
}

}  // namespace
}  // namespace plinkora::testing
