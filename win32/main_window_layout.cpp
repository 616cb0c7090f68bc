#include "win32/main_window.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>

#include "win32/artwork.h"
#include "win32/text.h"
#include "window/keyboard_geometry.h"
#include "window/menu_table.h"
#include "window/window_texts.h"

// The main window's controls, their layout and the painting of its view.
namespace plinkora {

namespace {

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

void MainWindow::CreateBars() {
    bars_ = std::make_unique<ControlBars>(window_, performance_);
    barKeys_ = std::make_unique<BarKeys>(*bars_);
    SetWindowSubclass(bars_->Force(), KeepKeysForWindow, 0, 0);
    SetWindowSubclass(bars_->Freq(), KeepKeysForWindow, 0, 0);
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

// Where the key is drawn, on the screen.
RECT MainWindow::KeyOnScreen(int keyIndex) const {
    RECT place = Scaled(CapRect(view_->Origin(), keyIndex), scale_, ViewTop());
    MapWindowPoints(window_, nullptr, reinterpret_cast<POINT*>(&place), 2);
    return place;
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

}  // namespace plinkora
