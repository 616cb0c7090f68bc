#include "recording/playback.h"
#include "shell/command_ids.h"
#include "shell_test_fixture.h"

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
        outputs_.failOpen = true;
        outputs_.LoseDevices();
        ASSERT_TRUE(WaitUntil([this] { return !window_->performance().DeviceOpen(); }));
    }

    void ServerReturns() {
        outputs_.failOpen = false;
        outputs_.lost = false;
    }

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
    // Opened as the Open command opens: the program reaches both channels.
    EXPECT_EQ(Words(), (Sent{Program(0, 0), Program(15, 0)}));
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

}  // namespace
}  // namespace plinkora::testing
