#include <QScrollBar>
#include <QTemporaryDir>

#include "recording/document.h"
#include "recording/playback.h"
#include "shell_test_fixture.h"
#include "view/keyboard_view.h"
#include "view/qt_geometry.h"
#include "window/command_ids.h"
#include "window/keyboard_geometry.h"
#include "window/layout.h"
#include "window/window_texts.h"

namespace plinkora::testing {
namespace {

using StartupTest = ShellTest;

TEST_F(StartupTest, EveryMenuItemButtonAndBarStartsAsExpected) {
    MainWindow& window = Start();
    // One mark per choice, on the start values (the device opened, so Open is marked).
    EXPECT_EQ(Items(&QAction::isChecked), (Ids{256, 512, 768, 1024, 1297}));
    EXPECT_EQ(Grayed(), kEmpty);
    // Menu by menu: Switch, Instruments, Mode, Record, Function, Device, Track, Help.
    EXPECT_EQ(Items(&QAction::isSeparator, false).size(), 2u + 128 + 24 + 9 + 1 + 2 + 15 + 3);
    EXPECT_EQ(Title(), "Plinkora - [Untitled]");
    // Only the performance channel hears the program at start-up.
    EXPECT_EQ(Words(), Sent{Program(0, 0)});

    EXPECT_EQ(window.ForceBar()->value(), 1);  // full force, shown upside down
    EXPECT_EQ(window.FreqBar()->value(), 8192);
}

TEST_F(StartupTest, DevicesMapperFirstNoneRefusedOneThatFailsClosedToKeys) {
    outputs_ = CapturingMidiOutputs(2, true);
    Start();
    EXPECT_EQ(window_->Action(511)->text(), "Mapper");
    EXPECT_TRUE(Checked(511));
    EXPECT_FALSE(Checked(512));
    EXPECT_EQ(outputs_.lastOpened, -1);
    window_.reset();

    outputs_ = CapturingMidiOutputs(0);
    EXPECT_EQ(MainWindow::Create({outputs_, modifiers_, prompts_, clock_}, {}), nullptr);
    outputs_ = CapturingMidiOutputs(2);
    outputs_.failOpen = true;
    Start();
    EXPECT_EQ(prompts_.messages,
              (Messages{{MessageIcon::Error, "Plinkora: No MIDI output devices!"},
                        {MessageIcon::Warning, "Plinkora: Cannot open MIDI device"}}));
    EXPECT_TRUE(Checked(257));
    EXPECT_FALSE(Checked(256));
    Tap(kNativeA, Qt::Key_A);
    EXPECT_TRUE(Words().empty());
}

TEST_F(StartupTest, LayoutFollowsTheClientArea) {
    const WindowLayout layout = ComputeLayout(800, 600, 10, 16);
    EXPECT_EQ(QPoint(layout.keyboardLeft, layout.keyboardTop), QPoint(153, 238));
    EXPECT_EQ(layout.forceBar, (Rect{720, 238, 18, 195}));
    EXPECT_EQ(layout.freqBar, (Rect{760, 238, 18, 195}));
    for (int i = 0; i < kTransportButtonCount; ++i) {
        EXPECT_EQ(layout.buttons[i], (Rect{210 + 80 * i, 480, 60, 28})) << i;
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
    EXPECT_EQ(window.FreqBar()->geometry(), ToQRect(expected.freqBar));
    EXPECT_EQ(window.Button(kEndPlayingCommand)->geometry(), ToQRect(expected.buttons[4]));
    EXPECT_EQ(ToQPoint(view->KeyboardOriginPoint()),
              QPoint(expected.keyboardLeft, expected.keyboardTop));
}

TEST_F(StartupTest, AtItsSmallestTheWindowStillOverlapsNothing) {
    MainWindow& window = Start();
    window.resize(200, 150);
    KeyboardView& view = *window.View();
    ASSERT_TRUE(WaitUntil([&] { return view.size() == view.minimumSize(); }));
    const int w = view.width(), h = view.height(), ch = view.CharSize().height();
    const QPoint origin = ToQPoint(view.KeyboardOriginPoint());
    const QFontMetrics metrics(view.font());
    const auto caption = [&](int numerator, const char* text) {
        return QRect(w * numerator / 160, origin.y() + kKeyboardHeight,
                     metrics.horizontalAdvance(QLatin1String(text)), ch);
    };
    std::vector<std::pair<const char*, QRect>> parts = {
        {"picture", QRect((w - kPictureWidth) / 2, (origin.y() - 173) / 2 + 32, kPictureWidth,
                          kPictureHeight)},
        {"keyboard", QRect(origin.x() - kCapWidth, origin.y(), kKeyboardWidth, kKeyboardHeight)},
        {"force bar", window.ForceBar()->geometry()},
        {"freq bar", window.FreqBar()->geometry()},
        {"Force", caption(143, "Force")},
        {"Freq", caption(151, "Freq")},
        {"buttons", window.Button(kBeginRecordCommand)
                        ->geometry()
                        .united(window.Button(kEndPlayingCommand)->geometry())},
        {"status and hint", QRect(0, h - 4 * ch, metrics.horizontalAdvance(kHintText), 2 * ch)}};
    for (size_t i = 0; i < parts.size(); ++i) {
        EXPECT_TRUE(view.rect().contains(parts[i].second)) << parts[i].first;
        for (size_t j = i + 1; j < parts.size(); ++j) {
            EXPECT_FALSE(parts[i].second.intersects(parts[j].second))
                << parts[i].first << " and " << parts[j].first;
        }
    }
}

// A document loaded from the command line is saved, but Export waits for a played end.
const Ids kLoaded = {1282, 1284, 1287, 1288};

// The command line names a document of one tapped A in "1=D" with the bourdon on.
class CommandLineTest : public ShellTest {
  protected:
    void SetUp() override {
        const EventRecord events[] = {{10, 256, KeyParam(30), 0}, {20, 257, KeyParam(30), 0}};
        ASSERT_TRUE(SaveDocument(events, 1298, true, path_).Ok());
    }
    QTemporaryDir dir_;
    const std::string path_ = dir_.filePath("tune one.plk").toStdString();
};

TEST_F(CommandLineTest, DocumentLoadsAndPlaysOnceWhenTheDeviceIsOpen) {
    MainWindow& window = Start(path_);
    EXPECT_EQ(Title(), "Plinkora - [tune one.plk]");  // the name, as after Load
    EXPECT_TRUE(Checked(1298));
    EXPECT_TRUE(Checked(1333));
    EXPECT_EQ(window.recording().RecordedCount(), 2u);
    EXPECT_EQ(Grayed(), kLoaded);
    Words().clear();

    ASSERT_TRUE(WaitUntil([&] { return Enabled(kEndPlayingCommand); }));
    ASSERT_TRUE(WaitUntil([&] { return !Enabled(kEndPlayingCommand); }));
    // A in "1=D" is 62, and the bourdon doubles it an octave lower on channel 15.
    ASSERT_GE(Words().size(), 4u);
    EXPECT_EQ(std::vector<uint32_t>(Words().begin(), Words().begin() + 4),
              (Sent{NoteOn(0, 62), NoteOn(15, 50), NoteOff(0, 62), NoteOff(15, 50)}));
    EXPECT_EQ(Grayed(), kReadySaved);
    Settle(600);
    EXPECT_FALSE(Enabled(kEndPlayingCommand)) << "played twice";
}

TEST_F(CommandLineTest, ARecordingBegunBeforeTheAutoPlayGoesOn) {
    MainWindow& window = Start(path_);
    Choose(kBeginRecordCommand);
    Settle(600);
    EXPECT_TRUE(window.recording().isRecording);
    EXPECT_EQ(Grayed(), kRecording);
}

TEST_F(CommandLineTest, DocumentOnlyLoadsWhenTheDeviceIsClosedAndAQuotedPathFails) {
    outputs_.failOpen = true;
    Start(path_);
    Settle(600);
    EXPECT_TRUE(Words().empty());
    EXPECT_EQ(Grayed(), kLoaded);

    // Quotes are not stripped: the name is taken as it is.
    window_.reset();
    outputs_.failOpen = false;
    Start("\"" + path_ + "\"");
    ASSERT_EQ(prompts_.messages.size(), 2u);  // the device's warning, then the file's
    EXPECT_EQ(prompts_.messages[1].second,
              "Plinkora: Can not find or open file \"" + path_ + "\".");
    EXPECT_EQ(Title(), "Plinkora - [Untitled]");
    EXPECT_EQ(Grayed(), kEmpty);
    EXPECT_FALSE(window_->AutoPlayPending());
}

}  // namespace
}  // namespace plinkora::testing
