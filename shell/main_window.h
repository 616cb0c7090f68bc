#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <array>
#include <memory>
#include <string>

#include "engine/performance.h"
#include "recording/clock.h"
#include "recording/playback_queue.h"
#include "recording/recording.h"
#include "recording/scheduler.h"
#include "shell/device_watch.h"
#include "shell/key_input.h"
#include "shell/menu_bar.h"
#include "shell/scroll_bars.h"
#include "shell/thread_waker.h"
#include "window/bar_keys.h"
#include "window/command_ids.h"
#include "window/layout.h"
#include "window/shell.h"

class QPushButton;
class QScrollBar;

namespace plinkora {

class KeyboardView;

// What the window takes from the platform; tests pass their own.
struct ShellServices {
    MidiOutputs& outputs;
    const ModifierKeys& modifiers;
    Prompts& prompts;
    const MillisecondClock& clock;
    Synthesizer* synthesizer = nullptr;  // the built-in one, where it exists
};

// The program's only window: the keyboard view with the two bars and the five transport
// buttons on it, the menu bar and the instrument toolbar. It turns Qt's events into the
// engine's calls and every command into DispatchCommand.
class MainWindow final : public QMainWindow, public ShellWindow {
    Q_OBJECT
  public:
    // Null when the window refused to be created because there is no MIDI output device (the
    // user has been told). commandLine names a document to load, or is empty.
    static std::unique_ptr<MainWindow> Create(const ShellServices& services,
                                              const std::string& commandLine);
    ~MainWindow() override;

    void Command(int commandId);
    // Log-off or shutdown: false when the user chose to keep working.
    bool QueryEndSession();

    // ShellWindow
    void CheckMenuItem(int commandId, bool checked) override;
    void Repaint() override;
    void ShowWarning(std::string_view text) override;
    void ReleasesOwed() override;
    void EnableCommand(int commandId, bool enabled) override;
    void SetTitle(const std::string& title) override;
    // The warning of a device that may come back by itself, and its taking away.
    void ShowStandingWarning(std::string_view text);
    void WithdrawStandingWarning();

    // For tests.
    Performance& performance() { return performance_; }
    Recording& recording() { return recording_; }
    const DocumentState& document() const { return document_; }
    QAction* Action(int commandId) const;
    QPushButton* Button(int commandId) const;
    QScrollBar* ForceBar() const { return forceBar_; }
    QScrollBar* FreqBar() const { return freqBar_; }
    KeyboardView* View() const { return view_; }
    const WindowLayout& Layout() const { return layout_; }
    bool AutoPlayPending() const { return autoPlayTimer_.isActive(); }
    bool KeyReleasePending() const { return keyInput_.HoldsRelease(); }
    // Shrinks the content, if need be, so that the whole window fits into the area.
    void FitInto(const QRect& available);
    // Fits the window again after its screen changed its size or scale.
    void FitToScreen(const QRect& screenArea);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Tab is a key like the others, not a move to the next control.
    bool focusNextPrevChild(bool) override { return false; }

  private:
    explicit MainWindow(const ShellServices& services);
    bool Initialise(const std::string& commandLine);
    void PlaceOnScreen();
    void FitFrameOnScreen();
    void FitOnStart();
    void OpenOnWayland(const QRect& screenArea);
    void FitToWaylandScreen(const QRect& screenArea);
    // Sets the content's minimum so that the whole window fits into the area; the content's
    // scale, at most 1.
    qreal ShrinkContentFor(const QRect& available);
    QMargins FrameMargins() const;
    void FollowScreen();
    void WatchScreen();
    void RefreshToolbarIcons();
    void CreateScrollBars();
    void CreateTransportButtons();
    void CreateToolbar();
    void ApplyLayout(const QSize& clientSize);
    // The played events that fell due, sounded here on the window thread.
    void DrainPlayback();
    // A key from the keyboard: a bar's key or a note.
    void PlayOrMoveBar(const KeyStroke& key);
    // For when the keyboard or the mouse goes elsewhere and the releases will not come here.
    void ReleaseHeldKeys();
    bool Enabled(int commandId) const;

    ShellServices services_;
    Performance performance_;
    Recording recording_;
    DocumentState document_;
    ThreadWaker playbackWaker_;  // before its queue: the queue wakes through it
    PlaybackQueue playbackQueue_;
    PlaybackScheduler scheduler_;  // after its queue: stopped before the queue goes
    Shell shell_;
    KeyInput keyInput_;
    CommandActions actions_;
    KeyboardView* view_ = nullptr;
    QScrollBar* forceBar_ = nullptr;
    QScrollBar* freqBar_ = nullptr;
    std::unique_ptr<QtBars> bars_;      // once the bars are there
    std::unique_ptr<BarKeys> barKeys_;  // moves them
    std::array<QPushButton*, kTransportButtonCount> buttons_{};
    QTimer autoPlayTimer_;
    QTimer followScreen_;
    QPointer<QScreen> watchedScreen_;
    QSize askedSize_;  // on Wayland, the size the window last asked for
    std::unique_ptr<DeviceWatch> deviceWatch_;
    int charWidth_ = 0;
    int charHeight_ = 0;
    WindowLayout layout_;  // in logical pixels
    QSize layoutMinimum_;  // the client area below which the content is scaled down
    QRect placement_;  // the whole window's place on the screen, until the frame has been fitted
};

}  // namespace plinkora
