#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QToolBar>

#include "engine/bourdon.h"
#include "engine/controls.h"
#include "recording/document.h"
#include "recording/playback.h"
#include "shell/command_ids.h"
#include "shell/layout.h"
#include "shell_test_fixture.h"
#include "view/keyboard_view.h"

namespace plinkora::testing {
namespace {

using StartupTest = ShellTest;

QString Text(MainWindow& window, int commandId) {
    return window.Action(commandId)->text();
}

TEST_F(StartupTest, MenuBarHasEveryMenuWithItsTextsAndFirstMarks) {
    MainWindow& window = Start();
    QStringList titles;
    for (QAction* menu : window.menuBar()->actions()) {
        titles << menu->text();
    }
    EXPECT_EQ(titles, QStringList({"Switch(&1)", "Instruments(&2)", "Mode(&3)", "Record(&4)",
                                   "Function(&5)", "Device(&6)", "Track(&7)", "Help(&8)"}));
    EXPECT_EQ(Text(window, 256), "&Open\tAlt+O");
    EXPECT_EQ(Text(window, 257), "Clo&se\tAlt+S");
    EXPECT_EQ(Text(window, 1024), "&1.\tAcoustic Grand Piano");
    EXPECT_EQ(Text(window, 1151), "&8.\tGunshot");
    EXPECT_EQ(Text(window, 1297), " C Major\t  Alt+C");
    EXPECT_EQ(Text(window, 1332), "#a Minor\t  Alt+Z");
    EXPECT_EQ(Text(window, 1282), "E&xport Midi file");
    EXPECT_EQ(Text(window, 1296), "&Load *.plk");
    EXPECT_EQ(Text(window, 1333), "&Add bourdon automatism");
    EXPECT_EQ(Text(window, 512), "Capture 0");
    EXPECT_EQ(Text(window, 782), "15");
    EXPECT_EQ(Text(window, 1347), "&Tips of the Day...");

    QMenu* instruments = window.menuBar()->actions()[1]->menu();
    ASSERT_EQ(instruments->actions().size(), 16);
    EXPECT_EQ(instruments->actions()[0]->text(), " 1.\tPiano");
    EXPECT_EQ(instruments->actions()[15]->text(), "16.\tSound Effects");
    EXPECT_EQ(window.menuBar()->actions()[2]->menu()->actions().size(), 24);

    // One mark per choice, on the start values; the device opened, so Open is marked.
    for (int id : {256, 1024, 1297, 512, 768}) {
        EXPECT_TRUE(Checked(id)) << id;
    }
    for (int id : {257, 1025, 1298, 513, 769, 1333}) {
        EXPECT_FALSE(Checked(id)) << id;
    }
    EXPECT_EQ(Title(), "Plinkora - [Untitled]");
    // Only the performance channel hears the program at start-up.
    EXPECT_EQ(Words(), std::vector<uint32_t>{ShortMessage(kProgramChange, 0, 0, 0)});
}

TEST_F(StartupTest, TransportStartsEmptyAndBarsAtTheirFirstPositions) {
    MainWindow& window = Start();
    for (int id : {1283, 1296}) {
        EXPECT_TRUE(Enabled(id)) << id;
    }
    for (int id : {1284, 1285, 1286, 1287, 1288, 1289, 1282}) {
        EXPECT_FALSE(Enabled(id)) << id;
    }
    const QStringList captions = {"Record", "Finish", "Play", "Circle play", "End Play"};
    for (int i = 0; i < kTransportButtonCount; ++i) {
        QPushButton* button = window.Button(kFirstTransportCommand + i);
        EXPECT_EQ(button->text(), captions[i]);
        EXPECT_EQ(button->isEnabled(), i == 0);
        EXPECT_EQ(button->focusPolicy(), Qt::NoFocus);
    }
    EXPECT_EQ(window.ForceBar()->minimum(), 1);
    EXPECT_EQ(window.ForceBar()->maximum(), 127);
    EXPECT_EQ(window.ForceBar()->value(), 1);
    EXPECT_EQ(window.FreqBar()->minimum(), 1);
    EXPECT_EQ(window.FreqBar()->maximum(), 0x3FFF);
    EXPECT_EQ(window.FreqBar()->value(), 8192);

    auto* toolbar = window.findChild<QToolBar*>();
    ASSERT_NE(toolbar, nullptr);
    std::vector<int> commands;
    for (QAction* action : toolbar->actions()) {
        commands.push_back(action->data().toInt());
    }
    EXPECT_EQ(commands, (std::vector<int>{1024, 1039, 1043, 1049, 1056, 1064, 1079, 1081, 1090,
                                          1097, 1127, 1131, 1138, 1147}));
}

TEST_F(StartupTest, DeviceMenuListsTheMapperFirstWhenThereIsOne) {
    outputs_ = CapturingMidiOutputs(2, true);
    MainWindow& window = Start();
    EXPECT_EQ(Text(window, 511), "Mapper");
    EXPECT_TRUE(Checked(511));
    EXPECT_FALSE(Checked(512));
    EXPECT_NE(window.Action(513), nullptr);
    EXPECT_EQ(window.performance().deviceId, -1);
    EXPECT_EQ(outputs_.lastOpened, -1);
}

TEST_F(StartupTest, WithoutAnyDeviceTheWindowIsRefused) {
    outputs_ = CapturingMidiOutputs(0);
    EXPECT_EQ(MainWindow::Create({outputs_, modifiers_, prompts_, clock_}, {}), nullptr);
    ASSERT_EQ(prompts_.messages.size(), 1u);
    EXPECT_EQ(prompts_.messages[0].icon, MessageIcon::Error);
    EXPECT_EQ(prompts_.messages[0].caption, "Plinkora");
    EXPECT_EQ(prompts_.messages[0].text, "No MIDI output devices!");
}

TEST_F(StartupTest, ADeviceThatWillNotOpenLeavesTheWindowClosedToKeys) {
    outputs_.failOpen = true;
    MainWindow& window = Start();
    ASSERT_EQ(prompts_.messages.size(), 1u);
    EXPECT_EQ(prompts_.messages[0].icon, MessageIcon::Warning);
    EXPECT_EQ(prompts_.messages[0].text, "Cannot open MIDI device");
    EXPECT_TRUE(Checked(257));
    EXPECT_FALSE(Checked(256));
    Tap(kNativeA, Qt::Key_A);
    EXPECT_TRUE(Words().empty());
    EXPECT_FALSE(window.performance().deviceOpen);
}

TEST_F(StartupTest, LayoutFollowsTheClientArea) {
    const WindowLayout layout = ComputeLayout(800, 600, 10, 16);
    EXPECT_EQ(layout.keyboardLeft, 153);
    EXPECT_EQ(layout.keyboardTop, 238);
    EXPECT_EQ(layout.forceBar, QRect(720, 238, 18, 195));
    EXPECT_EQ(layout.freqBar, QRect(760, 238, 18, 195));
    const int xs[] = {210, 290, 370, 450, 530};
    for (int i = 0; i < kTransportButtonCount; ++i) {
        EXPECT_EQ(layout.buttons[i], QRect(xs[i], 480, 60, 28)) << i;
    }
    EXPECT_EQ(ComputeLayout(569, 600, 10, 16).keyboardLeft, 38);

    // The window lays its controls out over the keyboard view on every resize.
    MainWindow& window = Start();
    window.resize(900, 700);
    KeyboardView* view = window.View();
    ASSERT_TRUE(WaitUntil([&] { return window.Layout().clientWidth == 900; }));
    const QSize unit = view->CharSize();
    const WindowLayout expected =
        ComputeLayout(view->width(), view->height(), unit.width(), unit.height());
    EXPECT_EQ(window.Layout().clientWidth, view->width());
    EXPECT_EQ(window.ForceBar()->geometry(), expected.forceBar);
    EXPECT_EQ(window.FreqBar()->geometry(), expected.freqBar);
    EXPECT_EQ(window.Button(kEndPlayingCommand)->geometry(), expected.buttons[4]);
    EXPECT_EQ(view->KeyboardOriginPoint(), QPoint(expected.keyboardLeft, expected.keyboardTop));
}

class CommandLineTest : public ShellTest {
  protected:
    // A document of one tapped A, 30 ms long, in "1=D" with the bourdon on.
    std::string WriteDocument() {
        const std::string path = dir_.filePath("tune one.plk").toStdString();
        const EventRecord events[] = {{10, 256, KeyParam(30), 0}, {20, 257, KeyParam(30), 0}};
        EXPECT_EQ(SaveDocument(events, 1298, true, path), nullptr);
        return path;
    }
    QTemporaryDir dir_;
};

TEST_F(CommandLineTest, DocumentLoadsAndPlaysOnceWhenTheDeviceIsOpen) {
    const std::string path = WriteDocument();
    MainWindow& window = Start(path);
    EXPECT_EQ(Title(), "Plinkora - [" + path + "]");
    EXPECT_TRUE(Checked(1298));
    EXPECT_TRUE(Checked(1333));
    EXPECT_EQ(window.recording().RecordedCount(), 2u);
    EXPECT_FALSE(Enabled(kSaveCommand));
    EXPECT_TRUE(Enabled(kSaveAsCommand));
    // Export waits for a finished recording, a played end or a Load.
    EXPECT_FALSE(Enabled(kExportCommand));
    EXPECT_TRUE(window.AutoPlayPending());
    Words().clear();

    ASSERT_TRUE(WaitUntil([&] { return Enabled(kEndPlayingCommand); }));
    ASSERT_TRUE(WaitUntil([&] { return !Enabled(kEndPlayingCommand); }));
    // A in "1=D" is 62, and the bourdon doubles it an octave lower on channel 15.
    ASSERT_GE(Words().size(), 4u);
    EXPECT_EQ(Words()[0], NoteOn(0, 62, 127));
    EXPECT_EQ(Words()[1], NoteOn(15, 50, 127));
    EXPECT_EQ(Words()[2], NoteOff(0, 62));
    EXPECT_EQ(Words()[3], NoteOff(15, 50));
    EXPECT_TRUE(Enabled(kPlayCommand));
    EXPECT_TRUE(Enabled(kExportCommand));
    Settle(600);
    EXPECT_FALSE(Enabled(kEndPlayingCommand)) << "played twice";
}

TEST_F(CommandLineTest, DocumentOnlyLoadsWhenTheDeviceIsClosed) {
    const std::string path = WriteDocument();
    outputs_.failOpen = true;
    Start(path);
    EXPECT_FALSE(window_->AutoPlayPending());
    EXPECT_TRUE(Enabled(kPlayCommand));
    Settle(600);
    EXPECT_TRUE(Words().empty());
    EXPECT_FALSE(Enabled(kEndPlayingCommand));
}

TEST_F(CommandLineTest, AQuotedPathIsTakenAsItIsAndFailsToLoad) {
    const std::string quoted = "\"" + WriteDocument() + "\"";
    Start(quoted);
    ASSERT_EQ(prompts_.messages.size(), 1u);
    EXPECT_EQ(prompts_.messages[0].text, "Can not find or open file " + quoted + ".");
    EXPECT_EQ(Title(), "Plinkora - [Untitled]");
    EXPECT_FALSE(Enabled(kPlayCommand));
    EXPECT_FALSE(window_->AutoPlayPending());
}

}  // namespace
}  // namespace plinkora::testing
