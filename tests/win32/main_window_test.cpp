#include <gtest/gtest.h>
#include <oleacc.h>

#include <deque>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "engine/controls.h"
#include "engine/sustain_pedal.h"
#include "tests/support/capturing_midi.h"
#include "win32/artwork.h"
#include "win32/main_window.h"
#include "win32/resource_ids.h"
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
    Key(WM_KEYDOWN, 0x39);  // the pedal held as the device goes
    outputs_.LoseDevices();
    outputs_.LoseDevices();
    Pump();
    EXPECT_TRUE(MenuChecked(kCloseDeviceCommand));
    EXPECT_EQ(prompts_.standingWarnings.size(), 1u);
    outputs_.lost = false;
    outputs_.words.clear();
    Sleep(1100);  // the quiet retry runs once a second
    Pump();
    EXPECT_TRUE(MenuChecked(kOpenDeviceCommand));
    EXPECT_EQ(prompts_.withdrawn, 1);
    // The receiver may still hold the pedal: lifted before All Notes Off, which it would hold.
    ASSERT_GE(outputs_.words.size(), 2u);
    EXPECT_EQ(outputs_.words[0], ShortMessage(kControlChange, 0, 64, 0));
    EXPECT_EQ(outputs_.words[1], ShortMessage(kControlChange, 0, kAllNotesOffController, 0));
}

// The keyboard as a screen reader sees it, through Microsoft Active Accessibility.
class Win32AccessibleKeyboard : public Win32Window {
  protected:
    void SetUp() override {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        Win32Window::SetUp();
        ShowWindow(window_->Handle(), SW_SHOWNORMAL);
        UpdateWindow(window_->Handle());
        ASSERT_EQ(
            AccessibleObjectFromWindow(window_->Handle(), DWORD(OBJID_CLIENT),
                                       __uuidof(IAccessible), reinterpret_cast<void**>(&keyboard_)),
            S_OK);
    }
    void TearDown() override {
        if (keyboard_ != nullptr) {
            keyboard_->Release();
        }
        window_.reset();
        CoUninitialize();
    }

    static VARIANT Child(LONG id) {
        VARIANT child;
        VariantInit(&child);
        child.vt = VT_I4;
        child.lVal = id;
        return child;
    }
    std::wstring Name(LONG child) const {
        BSTR name = nullptr;
        if (keyboard_->get_accName(Child(child), &name) != S_OK || name == nullptr) {
            return L"(none)";
        }
        std::wstring text(name, SysStringLen(name));
        SysFreeString(name);
        return text;
    }
    LONG ChildNamed(const std::wstring& name) const {
        for (LONG child = 1; child <= 45; ++child) {
            if (Name(child) == name) {
                return child;
            }
        }
        return 0;
    }
    LONG State(LONG child) const {
        VARIANT state;
        VariantInit(&state);
        EXPECT_EQ(keyboard_->get_accState(Child(child), &state), S_OK);
        return state.vt == VT_I4 ? state.lVal : -1;
    }
    RECT Location(LONG child) const {
        LONG left = 0, top = 0, width = 0, height = 0;
        EXPECT_EQ(keyboard_->accLocation(&left, &top, &width, &height, Child(child)), S_OK);
        return {left, top, left + width, top + height};
    }

    IAccessible* keyboard_ = nullptr;
};

TEST_F(Win32AccessibleKeyboard, HasTheFortyFivePlayingKeysNamedByKeyAndLabel) {
    LONG count = 0;
    ASSERT_EQ(keyboard_->get_accChildCount(&count), S_OK);
    EXPECT_EQ(count, 45);
    std::wstring names;
    for (LONG child = 1; child <= count; ++child) {
        names += (child > 1 ? L" | " : L"") + Name(child);
        VARIANT role;
        ASSERT_EQ(keyboard_->get_accRole(Child(child), &role), S_OK);
        EXPECT_EQ(role.lVal, ROLE_SYSTEM_PUSHBUTTON);
    }
    std::wcout << L"The keys as read: " << names << std::endl;
    // The number row first; the US layout of the test's display.
    EXPECT_EQ(Name(1), L"1, flat 5 double low");
    EXPECT_NE(ChildNamed(L"A, 1"), 0);
    EXPECT_NE(ChildNamed(L"Z, flat 2"), 0);
    EXPECT_NE(ChildNamed(L"K, 1 high"), 0);
    EXPECT_NE(ChildNamed(L"R, 1 low"), 0);
}

TEST_F(Win32AccessibleKeyboard, AKeyIsPressedWhileItSounds) {
    const LONG a = ChildNamed(L"A, 1");
    ASSERT_NE(a, 0);
    EXPECT_EQ(State(a) & STATE_SYSTEM_PRESSED, 0);
    Key(WM_KEYDOWN, 0x1E);
    EXPECT_NE(State(a) & STATE_SYSTEM_PRESSED, 0);
    EXPECT_EQ(State(ChildNamed(L"S, 2")) & STATE_SYSTEM_PRESSED, 0);
    Key(WM_KEYUP, 0x1E);
    EXPECT_EQ(State(a) & STATE_SYSTEM_PRESSED, 0);
}

TEST_F(Win32AccessibleKeyboard, AKeyIsFoundWhereItIsDrawn) {
    const LONG a = ChildNamed(L"A, 1"), s = ChildNamed(L"S, 2");
    const RECT place = Location(a), next = Location(s);
    EXPECT_EQ(place.right - place.left, 38);
    EXPECT_EQ(place.bottom - place.top, 39);
    EXPECT_EQ(next.left - place.left, 38);  // side by side on the home row
    VARIANT hit;
    VariantInit(&hit);
    ASSERT_EQ(
        keyboard_->accHitTest((place.left + place.right) / 2, (place.top + place.bottom) / 2, &hit),
        S_OK);
    EXPECT_EQ(hit.vt, VT_I4);
    EXPECT_EQ(hit.lVal, a);
}

// Under the pointer: the program's open hand over a playing cap (its hot spot where the Linux
// program has it, on the 32-pixel picture at 96 dpi), the arrow beside the keys.
TEST_F(Win32AccessibleKeyboard, TheOpenHandShowsOverAPlayingCapAndTheArrowElsewhere) {
    const auto cursorAt = [this](POINT at) {
        SetCursorPos(at.x, at.y);
        SendMessageW(window_->Handle(), WM_SETCURSOR, WPARAM(window_->Handle()),
                     MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        return GetCursor();
    };
    const RECT a = Location(ChildNamed(L"A, 1"));
    HCURSOR onKey = cursorAt({(a.left + a.right) / 2, (a.top + a.bottom) / 2});
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(onKey, &info));
    BITMAP picture{};
    GetObjectW(info.hbmMask, sizeof picture, &picture);
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor);
    EXPECT_FALSE(info.fIcon);
    EXPECT_EQ(info.xHotspot, 7u);
    EXPECT_EQ(info.yHotspot, 8u);
    EXPECT_EQ(picture.bmWidth, 32);
    EXPECT_NE(onKey, LoadCursorW(nullptr, IDC_HAND));

    // Caps Lock, left of A, plays nothing.
    EXPECT_EQ(cursorAt({a.left - 19, (a.top + a.bottom) / 2}), LoadCursorW(nullptr, IDC_ARROW));
}

}  // namespace
}  // namespace plinkora
