#include <QScrollBar>
#include <QToolBar>

#include "shell_test_fixture.h"
#include "window/command_ids.h"

namespace plinkora::testing {
namespace {

using CommandsTest = ShellTest;

TEST_F(CommandsTest, ToolbarAndMenuChooseTheSameInstrumentAndTrackTenIsPercussion) {
    MainWindow& window = Start();
    Words().clear();
    window.findChild<QToolBar*>()->actions()[5]->trigger();  // Violin
    EXPECT_EQ(window.performance().program, 40);
    EXPECT_TRUE(Checked(1064));
    EXPECT_FALSE(Checked(1024));
    EXPECT_EQ(Words(), (Sent{Program(0, 40), Program(15, 40)}));

    Choose(1024 + 73);  // Flute
    Choose(1064);       // Strings, item 1
    EXPECT_EQ(window.performance().program, 40);
    EXPECT_TRUE(Checked(1064));
    EXPECT_FALSE(Checked(1097));

    // Track 10 is the percussion channel.
    Words().clear();
    Choose(777);
    EXPECT_EQ(window.performance().channel, 9);
    EXPECT_TRUE(Checked(777));
    EXPECT_FALSE(Checked(768));
    EXPECT_EQ(Words(), (Sent{Program(9, 40), Program(15, 40)}));
    Press(kNativeA, Qt::Key_A);
    EXPECT_EQ(Words().back(), NoteOn(9, 60));
}

TEST_F(CommandsTest, MarkedItemsKeepTheirMarksAndIdentifierRangesAreTakenWhole) {
    MainWindow& window = Start();
    Choose(256);  // already open: nothing but a repaint
    Choose(1297);
    EXPECT_TRUE(Checked(256));
    EXPECT_TRUE(Checked(1297));
    Choose(1333);
    Choose(1333);
    EXPECT_FALSE(Checked(1333));

    // Gaps and ends of the identifier ranges do nothing; 513 opens the second device at once.
    for (int id : {1306, 1152, 900, 42, 513, kHelpCommand, kAboutCommand, kTipsCommand}) {
        window.Command(id);
    }
    const Performance& p = window.performance();
    EXPECT_EQ(std::tuple(p.keySignature, p.program, p.channel, p.deviceId, p.DeviceOpen()),
              std::tuple(1297, 0, 0, 1, true));
    EXPECT_TRUE(Checked(513));
    EXPECT_FALSE(Checked(512));
    EXPECT_TRUE(prompts_.messages.empty());
    EXPECT_EQ(prompts_.dialogs,
              (std::vector<DialogKind>{DialogKind::TipsAtStartup, DialogKind::Help,
                                       DialogKind::About, DialogKind::TipOfTheDay}));
}

// The Force bar shows the force upside down; the Freq bar bends only while dragged.
TEST_F(CommandsTest, ScrollBars) {
    MainWindow& window = Start();
    QScrollBar& force = *window.ForceBar();
    force.setSliderDown(true);
    force.setSliderPosition(100);
    force.setSliderDown(false);
    EXPECT_EQ(window.performance().force, 28);
    EXPECT_EQ(force.value(), 100);
    Words().clear();
    Press(kNativeA, Qt::Key_A);
    EXPECT_EQ(Words(), Sent{NoteOn(0, 60, 28)});

    QScrollBar& freq = *window.FreqBar();
    Words().clear();
    freq.triggerAction(QAbstractSlider::SliderPageStepSub);
    freq.triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_TRUE(Words().empty());
    EXPECT_EQ(freq.value(), 8192);
    freq.setSliderDown(true);
    freq.setSliderPosition(4000);
    EXPECT_EQ(Words(), Sent{Bend(0, 0x3FFF - 4000)});
    freq.setSliderDown(false);
    EXPECT_EQ(Words().back(), Bend(0, 8191));  // springs back to the rest
    EXPECT_EQ(freq.value(), 8192);
}

}  // namespace
}  // namespace plinkora::testing
