#include "win32/main_window.h"

#include <commctrl.h>

#include "engine/midi_output.h"
#include "recording/playback.h"
#include "win32/artwork.h"
#include "win32/menus.h"
#include "win32/text.h"
#include "win32/window_messages.h"
#include "window/commands.h"
#include "window/menu_table.h"
#include "window/transport.h"

namespace plinkora {

namespace {

constexpr wchar_t kWindowClass[] = L"Plinkora";
constexpr UINT kAutoPlayDelayMs = 500;

}  // namespace

MainWindow::MainWindow(const ShellServices& services)
    : services_(services),
      performance_(services.outputs),
      recording_(services.clock),
      playbackQueue_([this] {
          // Once for any number of events queued before the window drains them.
          if (!playbackWakePending_.exchange(true)) {
              PostMessageW(window_, WM_PLAYBACK_EVENT, 0, 0);
          }
      }),
      scheduler_(playbackQueue_),
      shell_{performance_, recording_, scheduler_, document_, *this, services.prompts},
      heldKeys_([this](const KeyStroke& key) { PlayOrMoveBar(key); }),
      recovery_(*this, services.outputs) {
    performance_.modifiers = &services.modifiers;
    performance_.recorder = &recording_;
    performance_.view = this;
}

std::unique_ptr<MainWindow> MainWindow::Create(const ShellServices& services,
                                               const std::string& commandLine) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    static HBRUSH background = nullptr;
    if (background == nullptr) {
        background = CreateSolidBrush(ToColorRef(services.artwork.Background()));
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.style = CS_HREDRAW | CS_VREDRAW;
        windowClass.lpfnWndProc = WindowProc;
        windowClass.hInstance = instance;
        windowClass.hIcon = LoadIconW(instance, L"Plinkora");
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = background;
        windowClass.lpszClassName = kWindowClass;
        if (RegisterClassExW(&windowClass) == 0) {
            MessageBoxW(nullptr, L"This program requires Windows NT!", L"Plinkora", MB_ICONERROR);
            return nullptr;
        }
    }
    std::unique_ptr<MainWindow> window(new MainWindow(services));
    // The whole work area: the screen but the taskbar.
    RECT area{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    window->window_ = CreateWindowExW(0, kWindowClass, Wide(kProgramCaption).c_str(),
                                      WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, area.left, area.top,
                                      area.right - area.left, area.bottom - area.top, nullptr,
                                      nullptr, instance, window.get());
    if (window->window_ == nullptr || !window->Initialise(commandLine)) {
        return nullptr;
    }
    return window;
}

bool MainWindow::Initialise(const std::string& commandLine) {
    services_.prompts.ShowDialog(this, DialogKind::TipsAtStartup);
    MeasureFont();
    view_ = std::make_unique<KeyboardView>(performance_, services_.artwork, windowFont_, charSize_);
    view_->SetInvalidate(&MainWindow::InvalidateLogical, this);
    view_->SetKeyChanged([this](int keyIndex) {
        if (accessible_ != nullptr) {
            accessible_->KeyChanged(keyIndex);
        }
    });
    performance_.painter = view_.get();
    CreateBars();
    CreateTransportButtons();
    // An answering MIDI mapper is an output even where no device is counted (under Wine with a
    // driver of its own, say); on Windows the mapper always has a device behind it.
    if (services_.outputs.Count() == 0 && !services_.outputs.MapperName()) {
        services_.prompts.ShowMessage(this, MessageIcon::Error, kProgramCaption,
                                      "No MIDI output devices!");
        return false;
    }
    const std::vector<MenuEntry> entries = MenuBarEntries(performance_);
    menu_ = CreateMenuBar(entries);
    accelerators_ = CreateAccelerators(entries);
    SetMenu(window_, menu_);
    services_.outputs.SetLossListener([this] { PostMessageW(window_, WM_DEVICE_REPORT, 0, 0); });
    // A device that cannot open has warned; the window works on with it closed.
    static_cast<void>(OpenMidiDeviceAtStartup(performance_));
    if (!commandLine.empty() && LoadStartupDocument(shell_, commandLine) &&
        performance_.DeviceOpen()) {
        SetTimer(window_, kAutoPlayTimer, kAutoPlayDelayMs, nullptr);
    }
    ShowChoices(shell_);
    SetDocumentTitle(shell_, document_.documentTitle);
    CreateToolbar();
    created_ = true;
    ApplyLayout();
    return true;
}

void MainWindow::Show(int showCommand) {
    ShowWindow(window_, showCommand);
    UpdateWindow(window_);
    SetForegroundWindow(window_);
    SetFocus(window_);
}

MainWindow::~MainWindow() {
    if (window_ != nullptr && IsWindow(window_)) {
        DestroyWindow(window_);
    }
    Destroy();
    if (accelerators_ != nullptr) {
        DestroyAcceleratorTable(accelerators_);
    }
    if (toolbarImages_ != nullptr) {
        ImageList_Destroy(toolbarImages_);
    }
    DeleteObject(windowFont_);
    DeleteObject(buttonFont_);
}

// At the window's destruction and again at the object's: the second time finds nothing to do.
void MainWindow::Destroy() {
    if (accessible_ != nullptr) {
        // Screen readers may hold it longer than the window lives.
        accessible_->Disconnect();
        accessible_->Release();
        accessible_ = nullptr;
    }
    services_.outputs.SetLossListener({});
    // The scheduler reads the playback copy: it stops before the lists go.
    scheduler_.StopPlayback();
    if (performance_.DeviceOpen()) {
        DispatchCommand(shell_, kCloseDeviceCommand);
    }
    FreePlaybackCopy(recording_);
    recording_.recordingList = EventList();
}

void MainWindow::Command(int commandId) {
    recovery_.BeforeCommand(commandId);
    DispatchCommand(shell_, commandId);
}

void MainWindow::DrainPlayback() {
    playbackWakePending_ = false;
    playbackQueue_.Drain(
        [this](const EventRecord& event) { PlayRecordedEvent(performance_, event); },
        [this] { Command(kEndPlayingCommand); });
}

bool MainWindow::QueryEndSession() {
    return !recording_.documentModified ||
           AskSaveChanges(shell_, document_.documentTitle) != Answer::Cancel;
}

bool MainWindow::CommandEnabled(int commandId) const {
    return MenuItemEnabled(menu_, commandId);
}

void MainWindow::CheckMenuItem(int commandId, bool checked) {
    ::CheckMenuItem(menu_, UINT(commandId), MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void MainWindow::Repaint() {
    if (view_ != nullptr) {
        view_->ResetCaps();
    }
}

void MainWindow::ShowWarning(std::string_view text) {
    services_.prompts.ShowMessage(this, MessageIcon::Warning, kProgramCaption, std::string(text));
}

void MainWindow::ReleasesOwed() {
    recovery_.ReleasesOwed();
}

void MainWindow::EnableCommand(int commandId, bool enabled) {
    EnableMenuItem(menu_, UINT(commandId), MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
    const int index = commandId - kFirstTransportCommand;
    if (index >= 0 && index < kTransportButtonCount) {
        EnableWindow(buttons_[size_t(index)], enabled);
    }
}

void MainWindow::SetTitle(const std::string& title) {
    SetWindowTextW(window_, Wide(title).c_str());
}

void MainWindow::ShowStandingWarning(std::string_view text) {
    services_.prompts.ShowStandingWarning(this, kProgramCaption, std::string(text));
}

void MainWindow::WithdrawStandingWarning() {
    services_.prompts.WithdrawStandingWarning();
    SetFocus(window_);
}

void MainWindow::SetRetrying(bool on) {
    if (on) {
        SetTimer(window_, kRetryTimer, DeviceRecovery::kRetryMs, nullptr);
    } else {
        KillTimer(window_, kRetryTimer);
    }
}

void MainWindow::SetPayingOwed(bool on) {
    if (on) {
        SetTimer(window_, kOwedTimer, DeviceRecovery::kOwedRetryMs, nullptr);
    } else {
        KillTimer(window_, kOwedTimer);
    }
}

}  // namespace plinkora
