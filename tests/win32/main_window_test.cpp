#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "engine/controls.h"
#include "engine/sustain_pedal.h"
#include "tests/support/capturing_midi.h"
#include "win32/artwork.h"
#include "win32/main_window.h"
#include "window/command_ids.h"

namespace plinkora {
namespace {

using testing::NoteOff;
using testing::NoteOn;

// Answers for a person: every message is kept, no dialog waits.
struct KeptPrompts final : Prompts {
    void ShowMessage(ShellWindow*, MessageIcon, const std::string&,
                     const std::string& text) override {
        messages.push_back(text);
    }
    Answer AskYesNoCancel(ShellWindow*, const std::string&, const std::string&) override {
        return Answer::No;
    }
    std::optional<std::string> ChooseFile(ShellWindow*, FileDialogKind,
                                          const std::string&) override {
        return std::nullopt;
    }
    void ShowDialog(ShellWindow*, DialogKind) override {}
    void ShowStandingWarning(ShellWindow*, const std::string&, const std::string& text) override {
        standingWarnings.push_back(text);
    }
    void WithdrawStandingWarning() override { ++withdrawn; }

    std::vector<std::string> messages;
    std::vector<std::string> standingWarnings;
    int withdrawn = 0;
};

struct NoModifiers final : ModifierKeys {
    bool ShiftDown() const override { return false; }
    bool CtrlDown() const override { return false; }
};

struct StillClock final : MillisecondClock {
    uint32_t NowMs() const override { return 1000; }
};

// Key data as Windows sends it with WM_KEYDOWN and WM_KEYUP.
LPARAM KeyData(uint32_t scanCode, bool extended = false, bool repeat = false) {
    return LPARAM((scanCode << 16) | (extended ? 1u << 24 : 0) | (repeat ? 1u << 30 : 0) | 1);
}

uint32_t Sustain(int channel, int value) {
    return ShortMessage(kControlChange, channel, kSustainController, value);
}

// Runs the window's messages that are waiting, as the message loop does.
void Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// The window on a machine whose only MIDI output is the MIDI mapper, as under Wine with the
// tests' capture device.
class Win32Window : public ::testing::Test {
  protected:
    void SetUp() override {
        window_ = MainWindow::Create({outputs_, modifiers_, prompts_, clock_, artwork_}, "");
        ASSERT_NE(window_, nullptr);
        outputs_.words.clear();
    }

    void Key(UINT message, uint32_t scanCode, bool extended = false, bool repeat = false) {
        SendMessageW(window_->Handle(), message, 0, KeyData(scanCode, extended, repeat));
    }
    HWND Control(int id) const { return GetDlgItem(window_->Handle(), id); }
    bool MenuChecked(int commandId) const {
        return (GetMenuState(GetMenu(window_->Handle()), UINT(commandId), MF_BYCOMMAND) &
                MF_CHECKED) != 0;
    }

    CapturingMidiOutputs outputs_{0, true};
    NoModifiers modifiers_;
    KeptPrompts prompts_;
    StillClock clock_;
    Artwork artwork_;
    std::unique_ptr<MainWindow> window_;
};

TEST_F(Win32Window, AnAnsweringMapperIsAnOutputWhereNoDeviceIsCounted) {
    EXPECT_EQ(outputs_.lastOpened, kMidiMapper);
    EXPECT_TRUE(MenuChecked(kOpenDeviceCommand));
    EXPECT_TRUE(prompts_.messages.empty());
}

TEST(Win32WindowWithoutOutputs, RefusesToOpenAndSaysWhy) {
    CapturingMidiOutputs none{0, false};
    NoModifiers modifiers;
    KeptPrompts prompts;
    StillClock clock;
    Artwork artwork;
    EXPECT_EQ(MainWindow::Create({none, modifiers, prompts, clock, artwork}, ""), nullptr);
    EXPECT_EQ(prompts.messages, std::vector<std::string>{"No MIDI output devices!"});
}

TEST_F(Win32Window, KeysPlayByScanCodeAndTheirRepeatsSendNothing) {
    Key(WM_KEYDOWN, 0x1E);
    Key(WM_KEYDOWN, 0x1E, false, true);
    Key(WM_KEYUP, 0x1E);
    EXPECT_EQ(outputs_.words, (std::vector<uint32_t>{NoteOn(0, 60), NoteOff(0, 60)}));
}

TEST_F(Win32Window, AReleaseWhosePressWentElsewhereSendsNothing) {
    Key(WM_SYSKEYUP, 0x1E);  // pressed with Alt, as an accelerator
    Key(WM_KEYUP, 0x1F);
    EXPECT_TRUE(outputs_.words.empty());
}

TEST_F(Win32Window, LosingTheKeyboardEndsHeldNotesAndLiftsThePedal) {
    Key(WM_KEYDOWN, kPedalScanCode);
    Key(WM_KEYDOWN, 0x1E);
    SendMessageW(window_->Handle(), WM_KILLFOCUS, 0, 0);
    const std::vector<uint32_t> sent = outputs_.words;
    ASSERT_EQ(sent.size(), 4u);
    EXPECT_EQ(sent[0], Sustain(0, kPedalDownValue));
    EXPECT_EQ(sent[1], NoteOn(0, 60));
    EXPECT_NE(std::find(sent.begin(), sent.end(), NoteOff(0, 60)), sent.end());
    EXPECT_NE(std::find(sent.begin(), sent.end(), Sustain(0, 0)), sent.end());
    Key(WM_KEYUP, 0x1E);  // its release comes back later: nothing more
    EXPECT_EQ(outputs_.words.size(), 4u);
}

TEST_F(Win32Window, ArrowKeysMoveTheBarsAndPlayNoNote) {
    Key(WM_KEYDOWN, 0x48, true);  // Up: one more force
    Key(WM_KEYUP, 0x48, true);
    EXPECT_EQ(GetScrollPos(Control(1344), SB_CTL), ForceBarPosition(kMaxForce));
    Key(WM_KEYDOWN, 0x50, true);  // Down
    EXPECT_EQ(GetScrollPos(Control(1344), SB_CTL), ForceBarPosition(kMaxForce - 1));
    Key(WM_KEYDOWN, 0x4D, true);  // Right: the wheel held fully up
    EXPECT_EQ(GetScrollPos(Control(1345), SB_CTL), kFreqBarMin);
    Key(WM_KEYUP, 0x4D, true);
    EXPECT_EQ(GetScrollPos(Control(1345), SB_CTL), FreqBarPosition(kBendRest));
    for (uint32_t word : outputs_.words) {
        EXPECT_NE(word & 0xF0, kNoteOn) << std::hex << word;
    }
}

TEST_F(Win32Window, TheTransportButtonsAndItemsFollowTheCommands) {
    EXPECT_TRUE(IsWindowEnabled(Control(kBeginRecordCommand)));
    EXPECT_FALSE(IsWindowEnabled(Control(kEndRecordCommand)));
    SendMessageW(window_->Handle(), WM_COMMAND, kBeginRecordCommand, 0);
    EXPECT_FALSE(IsWindowEnabled(Control(kBeginRecordCommand)));
    EXPECT_TRUE(IsWindowEnabled(Control(kEndRecordCommand)));
    const std::wstring title = [this] {
        wchar_t text[64] = {};
        GetWindowTextW(window_->Handle(), text, 64);
        return std::wstring(text);
    }();
    EXPECT_EQ(title, L"Plinkora - [Untitled]");
}

TEST_F(Win32Window, ALostDeviceIsShownClosedWithOneWarningUntilItComesBack) {
    outputs_.LoseDevices();
    outputs_.LoseDevices();
    Pump();
    EXPECT_TRUE(MenuChecked(kCloseDeviceCommand));
    EXPECT_EQ(prompts_.standingWarnings.size(), 1u);
    outputs_.lost = false;
    Sleep(1100);  // the quiet retry runs once a second
    Pump();
    EXPECT_TRUE(MenuChecked(kOpenDeviceCommand));
    EXPECT_EQ(prompts_.withdrawn, 1);
}

}  // namespace
}  // namespace plinkora
