#include "win32/main_window.h"

#include <commctrl.h>
#include <dbt.h>
#include <windowsx.h>

#include <cmath>
#include <utility>

#include "engine/devices/winmm_outputs.h"
#include "engine/instruments.h"
#include "engine/key_handling.h"
#include "win32/menus.h"
#include "win32/text.h"
#include "win32/window_messages.h"
#include "window/keyboard_geometry.h"

// The main window's messages: keys, the mouse, scrolling, timers and the rest.
namespace plinkora {

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

LRESULT MainWindow::OnGetObject(WPARAM flags, LPARAM objectId) {
    if (static_cast<LONG>(objectId) != OBJID_CLIENT || view_ == nullptr) {
        return DefWindowProcW(window_, WM_GETOBJECT, flags, objectId);
    }
    if (accessible_ == nullptr) {
        accessible_ = new KeyboardAccessible(window_, *this);
    }
    return LresultFromObject(__uuidof(IAccessible), flags, accessible_);
}

bool MainWindow::KeySounding(int keyIndex) const {
    return performance_.liveVoices[size_t(keyIndex)].sounding ||
           performance_.playedVoices[size_t(keyIndex)].sounding;
}

std::optional<int> MainWindow::KeyAtScreenPoint(POINT point) const {
    ScreenToClient(window_, &point);
    RECT client;
    GetClientRect(window_, &client);
    if (!PtInRect(&client, point)) {
        return std::nullopt;
    }
    return KeyAt(MAKELPARAM(point.x, point.y));
}

void MainWindow::ReleaseHeldKeys() {
    heldKeys_.ReleaseAll();
    OnMouse(WM_LBUTTONUP, 0);
}

void MainWindow::OnTimer(UINT_PTR timer) {
    if (timer == kAutoPlayTimer) {
        KillTimer(window_, kAutoPlayTimer);
        // Whatever the user began in the first half second (a recording, say) goes on.
        if (MenuItemEnabled(menu_, kPlayCommand)) {
            Command(kPlayCommand);
        }
    } else if (timer == kRetryTimer) {
        recovery_.TryReopen();
    } else if (timer == kOwedTimer) {
        recovery_.PayOwed();
    }
}

// The toolbar's tool tips name the instruments: screen readers announce the buttons by them.
LRESULT MainWindow::OnNotify(NMHDR& header) {
    if (header.code == TTN_GETDISPINFOW) {
        auto& info = reinterpret_cast<NMTTDISPINFOW&>(header);
        const int program = int(header.idFrom) - kFirstInstrumentCommand;
        toolTip_ = Wide(InstrumentName(program));
        info.lpszText = toolTip_.data();
    }
    return 0;
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
    return self->OnMessage(message, wParam, lParam);
}

LRESULT MainWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
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
            if (reinterpret_cast<HWND>(wParam) == window_ && LOWORD(lParam) == HTCLIENT) {
                POINT at;
                GetCursorPos(&at);
                ScreenToClient(window_, &at);
                const bool onKey = view_ != nullptr && KeyAt(MAKELPARAM(at.x, at.y)).has_value();
                SetCursor(onKey ? openHand_.ForDpi(GetDpiForWindow(window_))
                                : LoadCursorW(nullptr, IDC_ARROW));
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
        case WM_NOTIFY:
            return OnNotify(*reinterpret_cast<NMHDR*>(lParam));
        case WM_GETOBJECT:
            return OnGetObject(wParam, lParam);
        case WM_TIMER:
            OnTimer(wParam);
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

}  // namespace plinkora
