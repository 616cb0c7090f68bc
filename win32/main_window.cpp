#include "win32/main_window.h"

#include <commctrl.h>
#include <dbt.h>
#include <windowsx.h>

#include <algorithm>
#include <cmath>
#include <utility>

#include "engine/devices/winmm_outputs.h"
#include "engine/instruments.h"
#include "engine/key_handling.h"
#include "engine/midi_output.h"
#include "recording/playback.h"
#include "win32/artwork.h"
#include "win32/menus.h"
#include "win32/text.h"
#include "window/commands.h"
#include "window/keyboard_geometry.h"
#include "window/menu_table.h"
#include "window/transport.h"
#include "window/window_texts.h"

namespace plinkora {

namespace {

constexpr wchar_t kWindowClass[] = L"Plinkora";
// One event or more of a playback fell due; the scheduler thread posts it.
constexpr UINT WM_PLAYBACK_EVENT = WM_USER + 1;
// The outputs reported a lost device or the end of a slow opening.
constexpr UINT WM_DEVICE_REPORT = WM_USER + 2;

constexpr UINT_PTR kAutoPlayTimer = 1;
constexpr UINT_PTR kRetryTimer = 2;
constexpr UINT_PTR kOwedTimer = 3;
constexpr UINT kAutoPlayDelayMs = 500;

constexpr std::array<const wchar_t*, kTransportButtonCount> kButtonCaptions = {
    L"Record", L"Finish", L"Play", L"Circle play", L"End Play"};

HFONT MessageFont(int dpi) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    metrics.lfMessageFont.lfHeight =
        MulDiv(metrics.lfMessageFont.lfHeight, dpi, int(GetDpiForSystem()));
    return CreateFontIndirectW(&metrics.lfMessageFont);
}

SIZE TextSize(HFONT font, const std::wstring& text) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), int(text.size()), &size);
    SelectObject(dc, old);
    DeleteDC(dc);
    return size;
}

RECT Scaled(const Rect& logical, double scale, int top) {
    const auto at = [scale](int value) { return int(std::lround(value * scale)); };
    return {at(logical.left), top + at(logical.top), at(logical.Right()),
            top + at(logical.Bottom())};
}

// The transport buttons and the bars never keep the keyboard: a key pressed after a click is
// played by the window, which then has the focus, so that the key's release arrives there too.
LRESULT CALLBACK KeepKeysForWindow(HWND control, UINT message, WPARAM wParam, LPARAM lParam,
                                   UINT_PTR, DWORD_PTR) {
    switch (message) {
        case WM_KEYDOWN:
        case WM_KEYUP:
        case WM_SYSKEYDOWN:
        case WM_SYSKEYUP: {
            HWND parent = GetParent(control);
            SetFocus(parent);
            return SendMessageW(parent, message, wParam, lParam);
        }
        case WM_SETFOCUS:
            SetFocus(GetParent(control));
            return 0;
        default:
            return DefSubclassProc(control, message, wParam, lParam);
    }
}

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
    performance_.painter = view_.get();
    bars_ = std::make_unique<ControlBars>(window_, performance_);
    barKeys_ = std::make_unique<BarKeys>(*bars_);
    SetWindowSubclass(bars_->Force(), KeepKeysForWindow, 0, 0);
    SetWindowSubclass(bars_->Freq(), KeepKeysForWindow, 0, 0);
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

// Once, whichever comes first: the window's destruction or the object's.
void MainWindow::Destroy() {
    services_.outputs.SetLossListener({});
    // The scheduler reads the playback copy: it stops before the lists go.
    scheduler_.StopPlayback();
    if (performance_.DeviceOpen()) {
        DispatchCommand(shell_, kCloseDeviceCommand);
    }
    FreePlaybackCopy(recording_);
    recording_.recordingList = EventList();
}

void MainWindow::MeasureFont() {
    windowFont_ = MessageFont(96);  // the layout is made in pixels of 96 dpi
    const SIZE m = TextSize(windowFont_, L"M");
    charSize_ = Size{int(m.cx), int(m.cy)};
    const int widestCaption =
        std::max(TextSize(windowFont_, L"Force").cx, TextSize(windowFont_, L"Freq").cx);
    layoutMinimum_ = MinimumClientSize({charSize_.width, charSize_.height, widestCaption,
                                        int(TextSize(windowFont_, Wide(kHintText)).cx)});
}

void MainWindow::CreateTransportButtons() {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    for (int i = 0; i < kTransportButtonCount; ++i) {
        const int commandId = kFirstTransportCommand + i;
        buttons_[i] = CreateWindowExW(
            0, L"BUTTON", kButtonCaptions[i], WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 0, 0, 0, 0,
            window_, reinterpret_cast<HMENU>(INT_PTR(commandId)), instance, nullptr);
        EnableWindow(buttons_[i], commandId == kBeginRecordCommand);
        SetWindowSubclass(buttons_[i], KeepKeysForWindow, 0, 0);
    }
}

void MainWindow::CreateToolbar() {
    toolbar_ = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr,
                               WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_TOP, 0,
                               0, 0, 0, window_, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (toolbar_ == nullptr) {
        return;
    }
    SetWindowSubclass(toolbar_, KeepKeysForWindow, 0, 0);
    // Icons of double size from 144 dpi on, where the small ones would look lost.
    const int density = GetDpiForWindow(window_) >= 144 ? 2 : 1;
    toolbarImages_ = ImageList_Create(32 * density, 32 * density, ILC_COLOR24, 15, 0);
    if (HBITMAP icons = services_.artwork.Toolbar(density)) {
        ImageList_Add(toolbarImages_, icons, nullptr);
    }
    SendMessageW(toolbar_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(toolbarImages_));
    SendMessageW(toolbar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    std::array<TBBUTTON, kToolbarPrograms.size()> buttons{};
    for (size_t i = 0; i < buttons.size(); ++i) {
        buttons[i].iBitmap = int(i);
        buttons[i].idCommand = kFirstInstrumentCommand + kToolbarPrograms[i];
        buttons[i].fsState = TBSTATE_ENABLED;
        buttons[i].fsStyle = BTNS_BUTTON;
        buttons[i].iString = -1;
    }
    SendMessageW(toolbar_, TB_ADDBUTTONS, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
    SendMessageW(toolbar_, TB_AUTOSIZE, 0, 0);
}

int MainWindow::ViewTop() const {
    if (toolbar_ == nullptr) {
        return 0;
    }
    RECT bar;
    GetWindowRect(toolbar_, &bar);
    return bar.bottom - bar.top;
}

// Below the layout's smallest size the layout is made for a larger logical area and drawn
// smaller, so nothing overlaps and nothing is cut off; on a screen of more than 96 dpi it is
// drawn larger.
void MainWindow::ApplyLayout() {
    if (!created_) {
        return;
    }
    SendMessageW(toolbar_, TB_AUTOSIZE, 0, 0);
    RECT client;
    GetClientRect(window_, &client);
    const int top = ViewTop();
    const int width = client.right, height = std::max(0L, client.bottom - top);
    const double dpiScale = GetDpiForWindow(window_) / 96.0;
    const double fit = std::min({1.0, width / (dpiScale * layoutMinimum_.width),
                                 height / (dpiScale * layoutMinimum_.height)});
    scale_ = std::max(0.1, dpiScale * fit);
    const Size logical{int(width / scale_), int(height / scale_)};
    layout_ = ComputeLayout(logical.width, logical.height, charSize_.width, charSize_.height);
    view_->SetArea(logical, Point{layout_.keyboardLeft, layout_.keyboardTop});
    const auto place = [&](HWND control, const Rect& area) {
        const RECT at = Scaled(area, scale_, top);
        MoveWindow(control, at.left, at.top, at.right - at.left, at.bottom - at.top, TRUE);
    };
    place(bars_->Force(), layout_.forceBar);
    place(bars_->Freq(), layout_.freqBar);
    // The buttons share one font, the largest at which every caption fits.
    const RECT button = Scaled(layout_.buttons[0], scale_, top);
    int fontScale = 100;
    HFONT font = nullptr;
    for (;; fontScale -= 5) {
        DeleteObject(font);
        font = MessageFont(int(96 * scale_ * fontScale / 100));
        const bool fits = std::all_of(
            kButtonCaptions.begin(), kButtonCaptions.end(), [&](const wchar_t* caption) {
                return TextSize(font, caption).cx <= button.right - button.left - 6;
            });
        if (fits || fontScale <= 40) {
            break;
        }
    }
    for (int i = 0; i < kTransportButtonCount; ++i) {
        place(buttons_[i], layout_.buttons[i]);
        SendMessageW(buttons_[i], WM_SETFONT, WPARAM(font), TRUE);
    }
    DeleteObject(buttonFont_);
    buttonFont_ = font;
    InvalidateRect(window_, nullptr, FALSE);
}

void MainWindow::InvalidateLogical(void* self, const Rect& area) {
    auto* window = static_cast<MainWindow*>(self);
    RECT at = Scaled(area, window->scale_, window->ViewTop());
    InflateRect(&at, 1, 1);  // what scaling spills into a neighbour's pixels
    InvalidateRect(window->window_, &at, FALSE);
}

// The whole view is painted into a picture of the screen's size, in logical pixels that the
// mapping mode scales: nothing flickers, and text and dots are drawn at the screen's own
// resolution, the pictures from their double-density versions on a dense screen.
void MainWindow::Paint() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window_, &paint);
    if (view_ != nullptr) {
        RECT client;
        GetClientRect(window_, &client);
        const int top = ViewTop();
        const int width = std::max(1L, client.right), height = std::max(1L, client.bottom - top);
        HDC memory = CreateCompatibleDC(dc);
        HBITMAP picture = CreateCompatibleBitmap(dc, width, height);
        HGDIOBJ old = SelectObject(memory, picture);
        constexpr int kUnit = 1000;
        const int scaled = int(std::lround(kUnit * scale_));
        SetMapMode(memory, MM_ANISOTROPIC);
        SetWindowExtEx(memory, kUnit, kUnit, nullptr);
        SetViewportExtEx(memory, scaled, scaled, nullptr);
        // At the pictures' own size they are copied pixel for pixel.
        const ViewPictures& pictures = services_.artwork.ForScale(scale_);
        const bool exact = scale_ == double(pictures.density);
        SetStretchBltMode(memory, exact ? COLORONCOLOR : HALFTONE);
        SetBrushOrgEx(memory, 0, 0, nullptr);
        view_->Paint(memory, pictures);
        SetMapMode(memory, MM_TEXT);  // the copy below is in pixels on both sides
        BitBlt(dc, 0, top, width, height, memory, 0, 0, SRCCOPY);
        SelectObject(memory, old);
        DeleteObject(picture);
        DeleteDC(memory);
    }
    EndPaint(window_, &paint);
}

void MainWindow::Command(int commandId) {
    recovery_.BeforeCommand(commandId);
    DispatchCommand(shell_, commandId);
}

void MainWindow::OnKey(bool down, LPARAM keyData) {
    const std::optional<KeyStroke> key = KeyStrokeOf(down, keyData);
    if (key) {
        heldKeys_.Handle(*key);
    }
}

void MainWindow::PlayOrMoveBar(const KeyStroke& key) {
    if (barKeys_ == nullptr || !barKeys_->Take(key)) {
        PlayKey(performance_, key);
    }
}

std::optional<int> MainWindow::KeyAt(LPARAM position) const {
    const int x = GET_X_LPARAM(position), y = GET_Y_LPARAM(position) - ViewTop();
    const Point origin = view_->Origin();
    return HitKey(int(std::floor(x / scale_)) - origin.x, int(std::floor(y / scale_)) - origin.y);
}

// A press on a playing cap plays that key as if it had been typed, one key at a time; the
// release ends it wherever the pointer is by then.
void MainWindow::OnMouse(UINT message, LPARAM position) {
    if (message == WM_LBUTTONDOWN) {
        const std::optional<int> key = KeyAt(position);
        if (!key) {
            return;
        }
        SetFocus(window_);
        SetCapture(window_);
        mouseKey_ = *key;
        PlayKey(performance_, KeyPress(uint32_t(*key)));
    } else if (mouseKey_ != kNoMouseKeyIndex) {
        const int key = std::exchange(mouseKey_, kNoMouseKeyIndex);
        PlayKey(performance_, KeyRelease(uint32_t(key)));
        if (GetCapture() == window_) {
            ReleaseCapture();
        }
    }
}

void MainWindow::ReleaseHeldKeys() {
    heldKeys_.ReleaseAll();
    OnMouse(WM_LBUTTONUP, 0);
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

LRESULT CALLBACK MainWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        static_cast<MainWindow*>(create->lpCreateParams)->window_ = window;
    }
    auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return self->Handle(message, wParam, lParam);
}

LRESULT MainWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE:
            ApplyLayout();
            return 0;
        case WM_DPICHANGED: {
            const auto* suggested = reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(window_, nullptr, suggested->left, suggested->top,
                         suggested->right - suggested->left, suggested->bottom - suggested->top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            ApplyLayout();
            return 0;
        }
        case WM_PAINT:
            Paint();
            return 0;
        case WM_ERASEBKGND: {
            // The view's paint covers all but the strip of the toolbar, which shows through.
            const RECT strip{0, 0, 0x7FFF, ViewTop()};
            FillRect(reinterpret_cast<HDC>(wParam), &strip, GetSysColorBrush(COLOR_BTNFACE));
            return 1;
        }
        case WM_KEYDOWN:
            if (wParam == VK_ESCAPE) {
                PressEscape(performance_);
            } else {
                OnKey(true, lParam);
            }
            return 0;
        case WM_KEYUP:
            OnKey(false, lParam);
            return 0;
        case WM_SYSKEYUP:
            // A key let go while Alt is down still ends the note it started.
            OnKey(false, lParam);
            break;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_CAPTURECHANGED:
            OnMouse(message == WM_CAPTURECHANGED ? WM_LBUTTONUP : message, lParam);
            return 0;
        case WM_SETCURSOR:
            if (LOWORD(lParam) == HTCLIENT) {
                POINT at;
                GetCursorPos(&at);
                ScreenToClient(window_, &at);
                const bool onKey = view_ != nullptr && KeyAt(MAKELPARAM(at.x, at.y)).has_value();
                SetCursor(LoadCursorW(nullptr, onKey ? IDC_HAND : IDC_ARROW));
                return TRUE;
            }
            break;
        case WM_VSCROLL:
            if (bars_ != nullptr && bars_->Scroll(reinterpret_cast<HWND>(lParam), LOWORD(wParam))) {
                return 0;
            }
            break;
        case WM_COMMAND:
            if (lParam != 0 && HIWORD(wParam) == BN_CLICKED) {
                SetFocus(window_);  // a clicked button gives the keyboard back
            }
            Command(LOWORD(wParam));
            return 0;
        case WM_NOTIFY: {
            auto* info = reinterpret_cast<NMTTDISPINFOW*>(lParam);
            if (info->hdr.code == TTN_GETDISPINFOW) {
                const int program = int(info->hdr.idFrom) - kFirstInstrumentCommand;
                static std::wstring name;
                name = Wide(InstrumentName(program));
                info->lpszText = name.data();
                return 0;
            }
            break;
        }
        case WM_TIMER:
            if (wParam == kAutoPlayTimer) {
                KillTimer(window_, kAutoPlayTimer);
                // Whatever the user began in the first half second (a recording, say) goes on.
                if (MenuItemEnabled(menu_, kPlayCommand)) {
                    Command(kPlayCommand);
                }
            } else if (wParam == kRetryTimer) {
                recovery_.TryReopen();
            } else if (wParam == kOwedTimer) {
                recovery_.PayOwed();
            }
            return 0;
        case WM_PLAYBACK_EVENT:
            DrainPlayback();
            return 0;
        case WM_DEVICE_REPORT:
            recovery_.CheckDevice();
            return 0;
        case WM_DEVICECHANGE:
            if (wParam == DBT_DEVNODES_CHANGED) {
                CheckWinmmDevices(services_.outputs);
            }
            return TRUE;
        case WM_ENTERMENULOOP:
        case WM_KILLFOCUS:
            // The releases of held keys now go elsewhere.
            ReleaseHeldKeys();
            return 0;
        case WM_CLOSE:
            if (QueryEndSession()) {
                DestroyWindow(window_);
            }
            return 0;
        case WM_QUERYENDSESSION:
            return QueryEndSession() ? TRUE : FALSE;
        case WM_DESTROY:
            Destroy();
            PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
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
