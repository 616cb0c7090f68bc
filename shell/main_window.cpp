#include "shell/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSessionManager>
#include <QToolBar>
#include <QWindow>
#include <QtMath>
#include <algorithm>

#include "engine/controls.h"
#include "engine/key_handling.h"
#include "engine/midi_output.h"
#include "recording/playback.h"
#include "shell/accessible_controls.h"
#include "shell/alt_release_guard.h"
#include "shell/scroll_bars.h"
#include "view/artwork.h"
#include "view/keyboard_view.h"
#include "view/qt_geometry.h"
#include "window/commands.h"
#include "window/transport.h"
#include "window/window_texts.h"

namespace plinkora {

namespace {

constexpr std::array<const char*, kTransportButtonCount> kButtonCaptions = {
    "Record", "Finish", "Play", "Circle play", "End Play"};
constexpr int kAutoPlayDelayMs = 500;
// The buttons are six "M" wide, too narrow for some captions in the window's font. They share
// one font, the largest at which every caption fits: a row in mixed sizes looks broken. On a
// scaled window the font starts scaled with the buttons.
void FitCaptions(const std::array<QPushButton*, kTransportButtonCount>& buttons, qreal scale) {
    QFont font = buttons[0]->parentWidget()->font();
    font.setPointSizeF(font.pointSizeF() * scale);
    const auto fits = [&font](const QPushButton* button) {
        return QFontMetrics(font).horizontalAdvance(button->text()) <= button->width() - 6;
    };
    while (!std::all_of(buttons.begin(), buttons.end(), fits) && font.pointSizeF() > 6) {
        font.setPointSizeF(font.pointSizeF() - 0.5);
    }
    for (QPushButton* button : buttons) {
        button->setFont(font);
    }
}

QRect Scaled(const Rect& logical, qreal scale) {
    return QRect(qRound(logical.left * scale), qRound(logical.top * scale),
                 qRound(logical.width * scale), qRound(logical.height * scale));
}

QSize ViewMinimumSize(const KeyboardView& view) {
    const QFontMetrics metrics(view.font());
    const int widestCaption = std::max(metrics.horizontalAdvance(QStringLiteral("Force")),
                                       metrics.horizontalAdvance(QStringLiteral("Freq")));
    return ToQSize(
        MinimumClientSize({view.CharSize().width(), view.CharSize().height(), widestCaption,
                           metrics.horizontalAdvance(QString::fromLatin1(kHintText))}));
}

}  // namespace

MainWindow::MainWindow(const ShellServices& services)
    : services_(services),
      performance_(services.outputs),
      recording_(services.clock),
      playbackWaker_([this] { DrainPlayback(); }),
      playbackQueue_([this] { playbackWaker_.Wake(); }),
      scheduler_(playbackQueue_),
      shell_{performance_, recording_,       scheduler_,          document_,
             *this,        services.prompts, services.synthesizer},
      keyInput_(
          NativeScanCodeOffset(), [this](const KeyStroke& key) { PlayOrMoveBar(key); },
          [this] { PressEscape(performance_); }) {
    performance_.modifiers = &services.modifiers;
    performance_.recorder = &recording_;
    performance_.view = this;
    setWindowTitle(QString::fromLatin1(kProgramCaption));
    setWindowIcon(artwork::ProgramIcon());
    setContextMenuPolicy(Qt::PreventContextMenu);
    setFocusPolicy(Qt::StrongFocus);
    autoPlayTimer_.setSingleShot(true);
    autoPlayTimer_.setInterval(kAutoPlayDelayMs);
    connect(&autoPlayTimer_, &QTimer::timeout, this, [this] {
        // Whatever the user began in the first half second (a recording, say) goes on.
        if (Enabled(kPlayCommand)) {
            Command(kPlayCommand);
        }
    });
    // A screen change comes as several signals and events: one fit for all.
    followScreen_.setSingleShot(true);
    followScreen_.setInterval(0);
    followScreen_.callOnTimeout(this, &MainWindow::FollowScreen);
}

std::unique_ptr<MainWindow> MainWindow::Create(const ShellServices& services,
                                               const std::string& commandLine) {
    std::unique_ptr<MainWindow> window(new MainWindow(services));
    if (!window->Initialise(commandLine)) {
        return nullptr;
    }
    return window;
}

bool MainWindow::Initialise(const std::string& commandLine) {
    PlaceOnScreen();
    services_.prompts.ShowDialog(this, DialogKind::TipsAtStartup);
    view_ = new KeyboardView(performance_, this);
    setCentralWidget(view_);
    charWidth_ = view_->CharSize().width();
    charHeight_ = view_->CharSize().height();
    layoutMinimum_ = ViewMinimumSize(*view_);
    view_->setMinimumSize(layoutMinimum_);
    performance_.painter = view_;
    view_->installEventFilter(this);
    connect(view_, &KeyboardView::MouseKey, this,
            [this](const KeyStroke& key) { PlayKey(performance_, key); });
    CreateScrollBars();
    CreateTransportButtons();
    if (services_.outputs.Count() == 0) {
        services_.prompts.ShowMessage(this, MessageIcon::Error, kProgramCaption,
                                      "No MIDI output devices!");
        return false;
    }
    menuBar()->setNativeMenuBar(false);
    new AltReleaseGuard(*menuBar());
    actions_ = BuildMenuBar(*menuBar(), performance_, [this](int id) { Command(id); },
                            {services_.synthesizer != nullptr});
    for (QMenu* menu : menuBar()->findChildren<QMenu*>()) {
        // An open menu takes the keyboard: the releases of held keys would go to it.
        connect(menu, &QMenu::aboutToShow, this, [this] { ReleaseHeldKeys(); });
    }
    deviceWatch_ = std::make_unique<DeviceWatch>(*this, services_.outputs);
    // A device that cannot open has warned; the window works on with it closed.
    static_cast<void>(OpenMidiDeviceAtStartup(performance_));
    if (!commandLine.empty() && LoadStartupDocument(shell_, commandLine) &&
        performance_.DeviceOpen()) {
        autoPlayTimer_.start();
    }
    ShowChoices(shell_);
    SetDocumentTitle(shell_, document_.documentTitle);
    CreateToolbar();
    FitOnStart();
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager& manager) {
        if (manager.allowsInteraction() && !QueryEndSession()) {
            manager.cancel();
        }
        manager.release();
    });
    setFocus();
    return true;
}

void MainWindow::CreateScrollBars() {
    InstallControlBarAccessibility();
    forceBar_ =
        CreateControlBar(view_, kForceBarMin, kForceBarMax, ForceBarPosition(performance_.force), 8,
                         performance_, HandleForceScroll);
    freqBar_ = CreateControlBar(view_, kFreqBarMin, kFreqBarMax, performance_.freqPosition, 1,
                                performance_, HandleFreqScroll);
    NameControlBars(*forceBar_, *freqBar_);
    bars_ = std::make_unique<QtBars>(*forceBar_, *freqBar_);
    barKeys_ = std::make_unique<BarKeys>(*bars_);
}

void MainWindow::CreateTransportButtons() {
    for (int i = 0; i < kTransportButtonCount; ++i) {
        auto* button = new QPushButton(QString::fromLatin1(kButtonCaptions[i]), view_);
        // Buttons never keep the keyboard: a key pressed after a click still plays.
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoDefault(false);
        const int commandId = kFirstTransportCommand + i;
        button->setEnabled(commandId == kBeginRecordCommand);
        connect(button, &QPushButton::clicked, this, [this, commandId] { Command(commandId); });
        buttons_[i] = button;
    }
}

void MainWindow::CreateToolbar() {
    QToolBar* toolbar = addToolBar(QString());
    toolbar->setMovable(false);
    toolbar->setFloatable(false);
    toolbar->setFocusPolicy(Qt::NoFocus);
    BuildInstrumentToolbar(*toolbar, [this](int id) { Command(id); });
    NameToolbarButtons(*toolbar);
}

MainWindow::~MainWindow() {
    autoPlayTimer_.stop();
    // The scheduler reads the playback copy: it stops before the lists go.
    scheduler_.StopPlayback();
    Command(kCloseDeviceCommand);
    FreePlaybackCopy(recording_);
    recording_.recordingList = EventList();
}

void MainWindow::Command(int commandId) {
    // A key released just before belongs before the command: a recording must not lose it.
    keyInput_.Flush();
    if (deviceWatch_) {
        deviceWatch_->BeforeCommand(commandId);
    }
    DispatchCommand(shell_, commandId);
}

void MainWindow::ReleaseHeldKeys() {
    keyInput_.ReleaseAll();
    if (view_ != nullptr) {
        view_->ReleaseMouseKey();
    }
}

void MainWindow::PlayOrMoveBar(const KeyStroke& key) {
    if (barKeys_ == nullptr || !barKeys_->Take(key)) {
        PlayKey(performance_, key);
    }
}

bool MainWindow::Enabled(int commandId) const {
    const QAction* action = Action(commandId);
    return action != nullptr && action->isEnabled();
}

void MainWindow::DrainPlayback() {
    playbackQueue_.Drain(
        [this](const EventRecord& event) { PlayRecordedEvent(performance_, event); },
        [this] { Command(kEndPlayingCommand); });
}

bool MainWindow::QueryEndSession() {
    return !recording_.documentModified ||
           AskSaveChanges(shell_, document_.documentTitle) != Answer::Cancel;
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (QueryEndSession()) {
        event->accept();
    } else {
        event->ignore();
    }
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    if (QApplication::activePopupWidget() != nullptr) {
        // An open menu hands the keys it has no use for to the menu bar, and so to us; their
        // releases stay with the menu, and a note played here would never end.
        event->accept();
        return;
    }
    const std::optional<int> menuDigit = MenuDigitByPosition(*event, NativeScanCodeOffset());
    if (keyInput_.Press(*event)) {
        event->accept();
    } else if (menuDigit && OpenMenuByDigit(*menuBar(), *menuDigit)) {
        event->accept();
    } else {
        QMainWindow::keyPressEvent(event);
    }
}

void MainWindow::keyReleaseEvent(QKeyEvent* event) {
    if (keyInput_.Release(*event)) {
        event->accept();
    } else {
        QMainWindow::keyReleaseEvent(event);
    }
}

bool MainWindow::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride) {
        keyInput_.BeforeShortcut(*static_cast<QKeyEvent*>(event));
    } else if (event->type() == QEvent::WindowDeactivate) {
        ReleaseHeldKeys();  // the releases of held keys now go to another window
    } else if (event->type() == QEvent::WindowActivate && !placement_.isEmpty()) {
        FitFrameOnScreen();  // the first activation comes once the frame is there
    } else if (event->type() == QEvent::Show) {
        WatchScreen();
    } else if (event->type() == QEvent::ScreenChangeInternal
#if QT_VERSION >= QT_VERSION_CHECK(6, 6, 0)
               || event->type() == QEvent::DevicePixelRatioChange
#endif
    ) {
        followScreen_.start();
    }
    return QMainWindow::event(event);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == view_ && event->type() == QEvent::Resize) {
        ApplyLayout(view_->size());
    }
    return QMainWindow::eventFilter(watched, event);
}

// Below the layout's smallest size the layout is made for a larger logical area and drawn
// smaller, so nothing overlaps and nothing is cut off.
void MainWindow::ApplyLayout(const QSize& clientSize) {
    const qreal scale = std::min({1.0, qreal(clientSize.width()) / layoutMinimum_.width(),
                                  qreal(clientSize.height()) / layoutMinimum_.height()});
    view_->SetScale(scale);
    const QSize logical = view_->LogicalSize();
    layout_ = ComputeLayout(logical.width(), logical.height(), charWidth_, charHeight_);
    forceBar_->setGeometry(Scaled(layout_.forceBar, scale));
    freqBar_->setGeometry(Scaled(layout_.freqBar, scale));
    for (int i = 0; i < kTransportButtonCount; ++i) {
        buttons_[i]->setGeometry(Scaled(layout_.buttons[i], scale));
    }
    FitCaptions(buttons_, scale);
    view_->SetKeyboardOrigin(layout_.keyboardLeft, layout_.keyboardTop);
}

QAction* MainWindow::Action(int commandId) const {
    const auto found = actions_.find(commandId);
    return found == actions_.end() ? nullptr : found->second;
}

QPushButton* MainWindow::Button(int commandId) const {
    const int index = commandId - kFirstTransportCommand;
    if (index < 0 || index >= kTransportButtonCount) {
        return nullptr;
    }
    return buttons_[index];
}

void MainWindow::CheckMenuItem(int commandId, bool checked) {
    if (QAction* action = Action(commandId)) {
        action->setChecked(checked);
    }
}

void MainWindow::Repaint() {
    if (view_ != nullptr) {
        view_->RepaintAll();
    }
}

void MainWindow::ShowWarning(std::string_view text) {
    services_.prompts.ShowMessage(this, MessageIcon::Warning, kProgramCaption, std::string(text));
}

void MainWindow::ReleasesOwed() {
    if (deviceWatch_) {
        deviceWatch_->ReleasesOwed();
    }
}

void MainWindow::ShowStandingWarning(std::string_view text) {
    services_.prompts.ShowStandingWarning(this, kProgramCaption, std::string(text));
}

void MainWindow::WithdrawStandingWarning() {
    services_.prompts.WithdrawStandingWarning();
}

void MainWindow::EnableCommand(int commandId, bool enabled) {
    if (QAction* action = Action(commandId)) {
        action->setEnabled(enabled);
    }
    if (QPushButton* button = Button(commandId)) {
        button->setEnabled(enabled);
    }
}

void MainWindow::SetTitle(const std::string& title) {
    setWindowTitle(QString::fromStdString(title));
}

}  // namespace plinkora
