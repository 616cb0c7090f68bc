#pragma once

#include <windows.h>

#include <commctrl.h>

#include <array>
#include <atomic>
#include <memory>
#include <string>

#include "engine/performance.h"
#include "recording/clock.h"
#include "recording/playback_queue.h"
#include "recording/recording.h"
#include "recording/scheduler.h"
#include "win32/control_bars.h"
#include "win32/cursors.h"
#include "win32/key_input.h"
#include "win32/keyboard_accessible.h"
#include "win32/keyboard_view.h"
#include "win32/resource_ids.h"
#include "window/bar_keys.h"
#include "window/command_ids.h"
#include "window/device_recovery.h"
#include "window/layout.h"
#include "window/shell.h"

namespace plinkora {

class Artwork;

// What the window takes from the platform.
struct ShellServices {
    MidiOutputs& outputs;
    const ModifierKeys& modifiers;
    Prompts& prompts;
    const MillisecondClock& clock;
    const Artwork& artwork;
};

// The program's only window: menu bar, instrument toolbar, the keyboard view with the two bars
// and the five transport buttons. It turns window messages into the engine's calls and every
// command into DispatchCommand. Window thread.
class MainWindow final : public ShellWindow, private RecoveryWindow, private AccessibleKeys {
  public:
    // Null when the window refused to be created because there is no MIDI output (the user
    // has been told). commandLine names a document to load, or is empty.
    static std::unique_ptr<MainWindow> Create(const ShellServices& services,
                                              const std::string& commandLine);
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    HWND Handle() const { return window_; }
    HACCEL Accelerators() const { return accelerators_; }
    void Show(int showCommand);
    void Command(int commandId);

    // ShellWindow
    void CheckMenuItem(int commandId, bool checked) override;
    void Repaint() override;
    void ShowWarning(std::string_view text) override;
    void ReleasesOwed() override;
    void EnableCommand(int commandId, bool enabled) override;
    void SetTitle(const std::string& title) override;

  private:
    explicit MainWindow(const ShellServices& services);
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnTimer(UINT_PTR timer);
    LRESULT OnNotify(NMHDR& header);
    bool Initialise(const std::string& commandLine);
    void CreateBars();
    void CreateTransportButtons();
    void CreateToolbar();
    void MeasureFont();
    void ApplyLayout();
    void Paint();
    void OnKey(bool down, LPARAM keyData);
    void PlayOrMoveBar(const KeyStroke& key);
    void OnMouse(UINT message, LPARAM position);
    std::optional<int> KeyAt(LPARAM position) const;
    void ReleaseHeldKeys();
    void DrainPlayback();
    bool QueryEndSession();
    void Destroy();
    int ViewTop() const;
    static void InvalidateLogical(void* self, const Rect& area);
    LRESULT OnGetObject(WPARAM flags, LPARAM objectId);

    // AccessibleKeys
    bool KeySounding(int keyIndex) const override;
    RECT KeyOnScreen(int keyIndex) const override;
    std::optional<int> KeyAtScreenPoint(POINT point) const override;

    // RecoveryWindow
    Performance& WatchedPerformance() override { return performance_; }
    bool CommandEnabled(int commandId) const override;
    void RunCommand(int commandId) override { Command(commandId); }
    void ShowStandingWarning(std::string_view text) override;
    void WithdrawStandingWarning() override;
    void SetRetrying(bool on) override;
    void SetPayingOwed(bool on) override;

    ShellServices services_;
    Performance performance_;
    Recording recording_;
    DocumentState document_;
    std::atomic<bool> playbackWakePending_{false};
    PlaybackQueue playbackQueue_;
    PlaybackScheduler scheduler_;  // after its queue: stopped before the queue goes
    Shell shell_;
    HeldKeys heldKeys_;
    DeviceRecovery recovery_;
    HWND window_ = nullptr;
    HMENU menu_ = nullptr;
    HACCEL accelerators_ = nullptr;
    HWND toolbar_ = nullptr;
    HIMAGELIST toolbarImages_ = nullptr;
    HFONT windowFont_ = nullptr;
    HFONT buttonFont_ = nullptr;
    Size charSize_;
    Size layoutMinimum_;
    double scale_ = 1.0;  // device pixels per logical pixel
    std::unique_ptr<KeyboardView> view_;
    KeyboardAccessible* accessible_ = nullptr;  // made when first asked for
    std::unique_ptr<ControlBars> bars_;
    std::unique_ptr<BarKeys> barKeys_;
    std::array<HWND, kTransportButtonCount> buttons_{};
    WindowLayout layout_;
    ProgramCursor openHand_{IDR_OPEN_HAND_CURSOR};
    std::wstring toolTip_;  // the text a tool tip shows, kept while it shows
    int mouseKey_ = kNoMouseKeyIndex;
    bool created_ = false;

    static constexpr int kNoMouseKeyIndex = 255;
};

}  // namespace plinkora
