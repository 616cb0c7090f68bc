#include <QMessageBox>

#include "recording/playback.h"
#include "shell/qt_prompts.h"
#include "shell_test_fixture.h"
#include "window/command_ids.h"

namespace plinkora::testing {
namespace {

class DeviceLossTest : public ShellTest {
  protected:
    // Records A, starts a circle play, and loses the device with its server.
    void LoseWhileCirclePlaying() {
        Choose(kBeginRecordCommand);
        Press(kNativeA, Qt::Key_A);
        Release(kNativeA, Qt::Key_A);
        Choose(kEndRecordCommand);
        Choose(kCirclePlayCommand);
        Press(kNativeS, Qt::Key_S);  // held while the server goes
        Press(kNativeSpace, Qt::Key_Space);
        outputs_.failOpen = true;
        outputs_.LoseDevices();
        ASSERT_TRUE(WaitUntil([this] { return !window_->performance().DeviceOpen(); }));
    }

    void ServerReturns() {
        outputs_.failOpen = false;
        outputs_.lost = false;
    }

    static constexpr int kNativeSpace = 0x39 + 8;
    const Messages kCannotOpen = {{MessageIcon::Warning, "Plinkora: Cannot open MIDI device"}};
};

TEST_F(DeviceLossTest, ALostDeviceIsShownClosedItsPlaybackEndsAndItReopensWhenItAnswersAgain) {
    MainWindow& window = Start();
    LoseWhileCirclePlaying();
    EXPECT_EQ(prompts_.messages, kCannotOpen);
    EXPECT_FALSE(Checked(kOpenDeviceCommand));
    EXPECT_TRUE(Checked(kCloseDeviceCommand));
    EXPECT_EQ(Grayed(), kReady);  // the circle play ended as End Play ends it
    EXPECT_EQ(window.performance().heldPlain, 0);

    Settle(DeviceWatch::kRetryMs + 300);  // the server is still away: no second warning
    EXPECT_FALSE(window.performance().DeviceOpen());
    EXPECT_EQ(prompts_.messages, kCannotOpen);

    ServerReturns();
    Words().clear();
    ASSERT_TRUE(WaitUntil([&] { return window.performance().DeviceOpen(); }, 3000));
    EXPECT_TRUE(Checked(kOpenDeviceCommand));
    EXPECT_FALSE(Checked(kCloseDeviceCommand));
    // The receiver may still hold the pedal and the notes the lost device left: the pedal is
    // lifted before All Notes Off, then the program reaches both channels as Open sends it.
    Sent expected{ShortMessage(kControlChange, 0, 64, 0)};
    for (uint32_t channel = 0; channel < 16; ++channel) {
        expected.push_back(ShortMessage(kControlChange, channel, kAllNotesOffController, 0));
    }
    expected.insert(expected.end(), {Program(0, 0), Program(15, 0)});
    EXPECT_EQ(Words(), expected);
}

TEST_F(DeviceLossTest, AfterTheUsersOwnDeviceCommandALostDeviceStaysClosed) {
    for (const int command : {kCloseDeviceCommand, kFirstDeviceCommand + 1}) {
        SCOPED_TRACE(command);
        MainWindow& window = Start();
        LoseWhileCirclePlaying();
        Choose(command);
        ServerReturns();
        Settle(DeviceWatch::kRetryMs + 300);
        EXPECT_FALSE(window.performance().DeviceOpen());
        window_.reset();
        prompts_.messages.clear();
    }
}

TEST_F(DeviceLossTest, AClosedDeviceWhoseServerGoesIsLeftAlone) {
    MainWindow& window = Start();
    Choose(kCloseDeviceCommand);
    outputs_.LoseDevices();
    Settle(50);
    EXPECT_TRUE(prompts_.messages.empty());
    ServerReturns();
    Settle(DeviceWatch::kRetryMs + 300);
    EXPECT_FALSE(window.performance().DeviceOpen());
}

// The scripted answers, but the lasting warning as the program really shows it.
struct RealStandingWarning final : Prompts {
    explicit RealStandingWarning(ScriptedPrompts& scripted) : scripted(scripted) {}
    void ShowMessage(ShellWindow* owner, MessageIcon icon, const std::string& caption,
                     const std::string& text) override {
        scripted.ShowMessage(owner, icon, caption, text);
    }
    Answer AskYesNoCancel(ShellWindow* owner, const std::string& caption,
                          const std::string& text) override {
        return scripted.AskYesNoCancel(owner, caption, text);
    }
    std::optional<std::string> ChooseFile(ShellWindow* owner, FileDialogKind kind,
                                          const std::string& lastPath) override {
        return scripted.ChooseFile(owner, kind, lastPath);
    }
    void ShowDialog(ShellWindow* owner, DialogKind kind) override {
        scripted.ShowDialog(owner, kind);
    }
    void ShowStandingWarning(ShellWindow* owner, const std::string& caption,
                             const std::string& text) override {
        real.ShowStandingWarning(owner, caption, text);
    }
    void WithdrawStandingWarning() override { real.WithdrawStandingWarning(); }

    ScriptedPrompts& scripted;
    QtPrompts real;
};

int WarningsShown() {
    int shown = 0;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        shown += qobject_cast<QMessageBox*>(widget) != nullptr && widget->isVisible();
    }
    return shown;
}

// A server that keeps going and coming back while nobody is at the keyboard: never a pile of
// boxes to dismiss, and none left once the device is back.
TEST_F(DeviceLossTest, OneWarningAtATimeGoneWhenTheDeviceIsBackAndTheKeysPlayAgain) {
    RealStandingWarning prompts(prompts_);
    window_ = MainWindow::Create({outputs_, modifiers_, prompts, clock_}, {});
    window_->show();
    window_->activateWindow();
    ASSERT_TRUE(WaitUntil([this] { return QApplication::activeWindow() == window_.get(); }));
    for (int loss = 0; loss < 3; ++loss) {
        outputs_.failOpen = true;
        outputs_.LoseDevices();
        ASSERT_TRUE(WaitUntil([this] { return !window_->performance().DeviceOpen(); }));
        outputs_.LoseDevices();  // lost again while the warning is up
        Settle(50);
        EXPECT_EQ(WarningsShown(), 1);
        ServerReturns();
        ASSERT_TRUE(WaitUntil([this] { return window_->performance().DeviceOpen(); }, 3000));
        EXPECT_EQ(WarningsShown(), 0);
    }
    ASSERT_TRUE(WaitUntil([this] { return QApplication::activeWindow() == window_.get(); }));
    Words().clear();
    Tap(kNativeA, Qt::Key_A);
    EXPECT_EQ(Words(), (Sent{NoteOn(0, 60), NoteOff(0, 60)}));
}

// A device whose opening its server has not answered yet is not opened for real until it has:
// the window shows it closed meanwhile, and the warning stays.
TEST_F(DeviceLossTest, AReopeningIsWaitedForUntilItsServerAnswers) {
    MainWindow& window = Start();
    outputs_.failOpen = true;
    outputs_.LoseDevices();
    ASSERT_TRUE(WaitUntil([&] { return !window.performance().DeviceOpen(); }));
    outputs_.opening = true;
    ServerReturns();
    Settle(2 * DeviceWatch::kRetryMs + 300);
    EXPECT_FALSE(window.performance().DeviceOpen());
    EXPECT_TRUE(prompts_.standingWarningUp);
    outputs_.opening = false;
    ASSERT_TRUE(WaitUntil([&] { return window.performance().DeviceOpen(); }, 3000));
    EXPECT_FALSE(prompts_.standingWarningUp);
}

// A port whose queue is full when a key is let go: the release goes out as soon as the port
// takes words again, with no key needed to carry it.
TEST_F(DeviceLossTest, AReleaseThePortRefusedGoesOutOnceItTakesWordsAgain) {
    Start();
    Press(kNativeA, Qt::Key_A);
    outputs_.full = true;
    Release(kNativeA, Qt::Key_A);
    Words().clear();
    outputs_.full = false;
    EXPECT_TRUE(WaitUntil([this] { return !Words().empty(); }, 1000));
    EXPECT_EQ(Words(), (Sent{NoteOff(0, 60)}));
}

}  // namespace
}  // namespace plinkora::testing
