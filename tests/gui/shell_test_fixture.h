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
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/capturing_midi.h"
#include "engine/key_handling.h"
#include "engine/midi_output.h"
#include "recording/clock.h"
#include "shell/main_window.h"
#include "shell/prompts.h"

// QEvent lets this class mark an event as coming from the window system, which is what makes a
// click move the focus. (Qt's test library uses the same door.)
class QSpontaneKeyEvent {
  public:
    static void setSpontaneous(QEvent* event) { event->setSpontaneous(); }
};

namespace plinkora::testing {

// Answers every prompt from a script and remembers what was asked. Unscripted questions and
// file dialogs are cancelled.
struct ScriptedPrompts final : Prompts {
    struct Message {
        MessageIcon icon;
        std::string caption;
        std::string text;
    };

    void ShowMessage(QWidget*, MessageIcon icon, const std::string& caption,
                     const std::string& text) override {
        messages.push_back({icon, caption, text});
    }
    Answer AskYesNoCancel(QWidget*, const std::string& caption, const std::string& text) override {
        questions.push_back(caption + ": " + text);
        if (answers.empty()) {
            return Answer::Cancel;
        }
        const Answer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::optional<std::string> ChooseFile(QWidget*, FileDialogKind kind,
                                          const std::string& lastPath) override {
        fileDialogs.push_back(kind);
        lastPaths.push_back(lastPath);
        if (files.empty()) {
            return std::nullopt;
        }
        std::optional<std::string> file = files.front();
        files.pop_front();
        return file;
    }
    void ShowDialog(QWidget*, DialogKind kind) override { dialogs.push_back(kind); }

    std::vector<Message> messages;
    std::vector<std::string> questions;
    std::deque<Answer> answers;
    std::deque<std::optional<std::string>> files;
    std::vector<FileDialogKind> fileDialogs;
    std::vector<std::string> lastPaths;
    std::vector<DialogKind> dialogs;
};

struct SettableModifiers final : ModifierKeys {
    bool ShiftDown() const override { return shift; }
    bool CtrlDown() const override { return ctrl; }
    bool shift = false;
    bool ctrl = false;
};

struct ManualClock final : MillisecondClock {
    uint32_t NowMs() const override { return now; }
    uint32_t now = 5000;
};

// X11 key codes of a few keys: the PC scan code plus 8.
inline constexpr int kNativeA = 38, kNativeS = 39, kNativeD = 40, kNativeEsc = 9;

inline uint32_t NoteOn(int channel, int note, int velocity) {
    return ShortMessage(kNoteOn, channel, note, velocity);
}
inline uint32_t NoteOff(int channel, int note) {
    return ShortMessage(kNoteOff, channel, note, 0);
}

// Runs the event loop until the condition holds or the time is up.
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

// Lets held-back key releases and queued calls through.
inline void Settle(int ms = 20) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
}

class ShellTest : public ::testing::Test {
  protected:
    ~ShellTest() override { window_.reset(); }

    // Creates, shows and activates the window, as the program does.
    MainWindow& Start(const std::string& commandLine = {}) {
        window_ = MainWindow::Create({outputs_, modifiers_, prompts_, clock_}, commandLine);
        EXPECT_NE(window_, nullptr);
        window_->show();
        window_->activateWindow();
        EXPECT_TRUE(WaitUntil([this] { return QApplication::activeWindow() == window_.get(); }));
        return *window_;
    }

    // A key event as X11 delivers it, sent to whatever has the keyboard focus.
    void Key(QEvent::Type type, int native, Qt::Key key,
             Qt::KeyboardModifiers modifiers = Qt::NoModifier, bool autoRepeat = false) {
        QKeyEvent event(type, key, modifiers, native, 0, 0, {}, autoRepeat);
        event.setTimestamp(++timestamp_);
        QWidget* target = QApplication::focusWidget();
        QApplication::sendEvent(target != nullptr ? target : window_.get(), &event);
    }
    void Press(int native, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        Key(QEvent::KeyPress, native, key, modifiers);
    }
    void Release(int native, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        Key(QEvent::KeyRelease, native, key, modifiers);
        EXPECT_TRUE(WaitUntil([this] { return !window_->KeyReleasePending(); }));
    }
    void Tap(int native, Qt::Key key) {
        Press(native, key);
        Release(native, key);
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

    bool Checked(int commandId) const { return window_->Action(commandId)->isChecked(); }
    bool Enabled(int commandId) const { return window_->Action(commandId)->isEnabled(); }
    std::string Title() const { return window_->windowTitle().toStdString(); }
    std::vector<uint32_t>& Words() { return outputs_.words; }

    CapturingMidiOutputs outputs_{2};
    SettableModifiers modifiers_;
    ScriptedPrompts prompts_;
    ManualClock clock_;
    std::unique_ptr<MainWindow> window_;
    uint64_t timestamp_ = 1000;
};

}  // namespace plinkora::testing
