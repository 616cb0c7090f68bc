#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QThread>
#include <deque>
#include <functional>

#include "shell/main_window.h"
#include "tests/core/engine_fixture.h"

// Marks an event as coming from the window system, which is what makes a click move the focus.
class QSpontaneKeyEvent {
  public:
    static void setSpontaneous(QEvent* event) { event->setSpontaneous(); }
};

namespace plinkora::testing {

using Messages = std::vector<std::pair<MessageIcon, std::string>>;  // icon, "caption: text"
using Sent = std::vector<uint32_t>;                                 // MIDI words

// Answers prompts from a script and records them; unscripted questions and dialogs cancel.
struct ScriptedPrompts final : Prompts {
    template <typename T>
    static T Next(std::deque<T>& script, T otherwise) {
        if (script.empty()) {
            return otherwise;
        }
        T next = script.front();
        script.pop_front();
        return next;
    }
    void ShowMessage(ShellWindow*, MessageIcon icon, const std::string& caption,
                     const std::string& text) override {
        messages.push_back({icon, caption + ": " + text});
    }
    Answer AskYesNoCancel(ShellWindow*, const std::string& caption,
                          const std::string& text) override {
        questions.push_back(caption + ": " + text);
        return Next(answers, Answer::Cancel);
    }
    std::optional<std::string> ChooseFile(ShellWindow*, FileDialogKind kind,
                                          const std::string& lastPath) override {
        fileDialogs.push_back(kind);
        lastPaths.push_back(lastPath);
        return Next<std::optional<std::string>>(files, std::nullopt);
    }
    void ShowDialog(ShellWindow*, DialogKind kind) override { dialogs.push_back(kind); }
    void ShowStandingWarning(ShellWindow*, const std::string& caption,
                             const std::string& text) override {
        if (!standingWarningUp) {
            standingWarningUp = true;
            messages.push_back({MessageIcon::Warning, caption + ": " + text});
        }
    }
    void WithdrawStandingWarning() override { standingWarningUp = false; }
    // Unscripted, the export dialog is the plain file dialog a front end gets by default.
    std::optional<ExportChoice> ChooseExport(ShellWindow* owner, const std::string& lastPath,
                                             bool audioOffered) override {
        exportOffersAudio = audioOffered;
        if (exports.empty()) {
            return Prompts::ChooseExport(owner, lastPath, audioOffered);
        }
        return Next<std::optional<ExportChoice>>(exports, std::nullopt);
    }
    std::unique_ptr<ProgressShown> ShowProgress(ShellWindow*, const std::string& text) override {
        struct Shown final : ProgressShown {
            explicit Shown(ScriptedPrompts& prompts) : prompts(prompts) {}
            bool Advance(double done) override {
                prompts.progress.push_back(done);
                return prompts.progress.size() < prompts.cancelAfter;
            }
            ScriptedPrompts& prompts;
        };
        progressTexts.push_back(text);
        return std::make_unique<Shown>(*this);
    }

    Messages messages;
    std::vector<std::string> questions;
    std::deque<Answer> answers;
    std::deque<std::optional<std::string>> files;
    std::vector<FileDialogKind> fileDialogs;
    std::vector<std::string> lastPaths;  // where each file dialog opened
    std::vector<DialogKind> dialogs;
    bool standingWarningUp = false;
    std::deque<std::optional<ExportChoice>> exports;
    bool exportOffersAudio = false;
    std::vector<std::string> progressTexts;
    std::vector<double> progress;
    size_t cancelAfter = SIZE_MAX;  // Cancel pressed at this report
};

// A built-in synthesizer whose offline renderings the test makes; none unless it says how.
struct ScriptedSynthesizer final : Synthesizer {
    std::unique_ptr<RenderTarget> OfflineRenderer(uint32_t sampleRate) const override {
        return make ? make(sampleRate) : nullptr;
    }
    std::string SoundFont() const override { return "test.sf2"; }
    std::function<std::unique_ptr<RenderTarget>(uint32_t)> make;
};

struct ManualClock final : MillisecondClock {
    uint32_t NowMs() const override { return now; }
    uint32_t now = 5000;
};

// X11 key codes: the PC scan code plus 8.
inline constexpr int kNativeA = 38, kNativeS = 39, kNativeD = 40, kNativeEsc = 9;

inline uint32_t Program(int channel, int program) {
    return ShortMessage(kProgramChange, channel, program, 0);
}
inline uint32_t Bend(int channel, int bend) {
    return ShortMessage(kPitchBend, channel, bend & 0x7F, bend >> 7);
}

// Runs the event loop until the condition holds or the time is up; Settle just lets it run.
inline bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 3000) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}
inline void Settle(int ms = 20) {
    WaitUntil([] { return false; }, ms);
}

// The grayed items in each transport state: 1282 Export, 1283 Record, 1284 Finish, 1285 Play,
// 1286 Circle play, 1287 End Play, 1288 Save, 1289 Save as, 1296 Load.
using Ids = std::vector<int>;
inline const Ids kEmpty = {1282, 1284, 1285, 1286, 1287, 1288, 1289};
inline const Ids kRecording = {1282, 1283, 1285, 1286, 1287, 1288, 1289, 1296};
inline const Ids kReady = {1284, 1287}, kReadySaved = {1284, 1287, 1288};
inline const Ids kPlaying = {1282, 1283, 1284, 1285, 1286, 1288, 1289, 1296};

class ShellTest : public ::testing::Test {
  protected:
    // Creates, shows and activates the window, as the program does.
    MainWindow& Start(const std::string& commandLine = {}) {
        Synthesizer* synthesizer = realSynthesizer_;
        if (!synthesizer && synthesizer_.make) {
            synthesizer = &synthesizer_;
        }
        window_ =
            MainWindow::Create({outputs_, modifiers_, prompts_, clock_, synthesizer}, commandLine);
        EXPECT_NE(window_, nullptr);
        window_->show();
        window_->activateWindow();
        EXPECT_TRUE(WaitUntil([this] { return QApplication::activeWindow() == window_.get(); }));
        return *window_;
    }

    // A key event as X11 delivers it, to whatever has the focus. A release waits for the
    // window to let it through.
    void Key(QEvent::Type type, int native, Qt::Key key, Qt::KeyboardModifiers mods = {},
             bool autoRepeat = false) {
        QKeyEvent event(type, key, mods, native, 0, 0, {}, autoRepeat);
        event.setTimestamp(++timestamp_);
        QWidget* target = QApplication::focusWidget();
        QApplication::sendEvent(target != nullptr ? target : window_.get(), &event);
        if (type == QEvent::KeyRelease && !autoRepeat) {
            EXPECT_TRUE(WaitUntil([this] { return !window_->KeyReleasePending(); }));
        }
    }
    void Press(int native, Qt::Key key, Qt::KeyboardModifiers mods = {}) {
        Key(QEvent::KeyPress, native, key, mods);
    }
    void Release(int native, Qt::Key key, Qt::KeyboardModifiers mods = {}) {
        Key(QEvent::KeyRelease, native, key, mods);
    }
    void Tap(int native, Qt::Key key, Qt::KeyboardModifiers mods = {}) {
        Press(native, key, mods);
        Release(native, key, mods);
    }

    // A real click as the window system delivers it, focus handling included.
    static void Click(QWidget& widget) {
        const QPointF centre = QRectF(widget.rect()).center();
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent event(type, centre, widget.mapToGlobal(centre), Qt::LeftButton,
                              type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                              Qt::NoModifier);
            QSpontaneKeyEvent::setSpontaneous(&event);
            QApplication::sendEvent(&widget, &event);
        }
    }

    // Triggers a menu item the way a click on it does.
    void Choose(int commandId) {
        QAction* action = window_->Action(commandId);
        ASSERT_NE(action, nullptr) << commandId;
        ASSERT_TRUE(action->isEnabled()) << commandId;
        action->trigger();
    }

    // The menu items whose property has the value; every button must agree with its item.
    Ids Items(bool (QAction::*property)() const, bool value = true) const {
        Ids ids;
        for (int id = 0; id < 2048; ++id) {
            QAction* item = window_->Action(id);
            if (item != nullptr && (item->*property)() == value) {
                ids.push_back(id);
            }
            if (QPushButton* button = window_->Button(id)) {
                EXPECT_EQ(button->isEnabled(), item->isEnabled()) << id;
            }
        }
        return ids;
    }
    Ids Grayed() const { return Items(&QAction::isEnabled, false); }

    bool Checked(int commandId) const { return window_->Action(commandId)->isChecked(); }
    bool Enabled(int commandId) const { return window_->Action(commandId)->isEnabled(); }
    std::string Title() const { return window_->windowTitle().toStdString(); }
    std::vector<uint32_t>& Words() { return outputs_.words; }

    CapturingMidiOutputs outputs_{2};
    FakeModifiers modifiers_;
    ScriptedPrompts prompts_;
    ScriptedSynthesizer synthesizer_;
    Synthesizer* realSynthesizer_ = nullptr;  // in synthesizer_'s place, where a test has one
    ManualClock clock_;
    std::unique_ptr<MainWindow> window_;
    uint64_t timestamp_ = 1000;
};

}  // namespace plinkora::testing
