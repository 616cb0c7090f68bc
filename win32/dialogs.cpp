#include "win32/dialogs.h"

#include <commctrl.h>
#include <shellapi.h>

#include <optional>

#include "win32/artwork.h"
#include "win32/dialog_layout.h"
#include "win32/resource_ids.h"
#include "win32/text.h"
#include "win32/text_drawing.h"
#include "window/tips.h"

namespace plinkora {

namespace {

constexpr UINT kSplashMilliseconds = 1200;
constexpr UINT_PTR kSplashTimer = 1;

// Read once at start-up and kept for the run.
TipState tipState;
bool tipsAvailable = false;
std::string tipsLogPath = kTipsLogName;

// The program's own icon on a dialog's title bar, not the system's default.
void ShowProgramIcon(HWND dialog) {
    const HICON icon = LoadIconW(GetModuleHandleW(nullptr), L"Plinkora");
    SendMessageW(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendMessageW(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
}

// ---- splash

LRESULT CALLBACK SplashProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(window, &paint);
            const auto* artwork =
                reinterpret_cast<const Artwork*>(GetWindowLongPtrW(window, GWLP_USERDATA));
            RECT client;
            GetClientRect(window, &client);
            HDC memory = CreateCompatibleDC(dc);
            HGDIOBJ old = SelectObject(memory, artwork->Splash());
            BITMAP info{};
            GetObjectW(artwork->Splash(), sizeof info, &info);
            SetStretchBltMode(dc, HALFTONE);
            StretchBlt(dc, 1, 1, client.right - 2, client.bottom - 2, memory, 0, 0, info.bmWidth,
                       info.bmHeight, SRCCOPY);
            SelectObject(memory, old);
            DeleteDC(memory);
            FrameRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
            EndPaint(window, &paint);
            return 0;
        }
        case WM_TIMER:
        case WM_LBUTTONDOWN:
            DestroyWindow(window);
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

// ---- tip box

std::wstring TipForDisplay(std::string_view tip) {
    // An edit control wants CR LF; a tips file written on Linux has LF alone.
    std::wstring text;
    for (wchar_t c : Wide(tip)) {
        if (c == L'\n' && (text.empty() || text.back() != L'\r')) {
            text += L'\r';
        }
        text += c;
    }
    return text;
}

struct TipBoxState {
    TipBoxRules rules;
    bool ended = false;
    HFONT font = nullptr;  // the tip's, while the box is open
};

// The Linux program's tip box, on its grid of two pixels: the classic box's proportions.
void LayOutTipBox(HWND box) {
    LayOutInPixels(box, {420, 232},
                   {
                       {IDC_TIP_TEXT, {14, 14, 392, 158}},
                       {IDC_TIP_AT_STARTUP, {14, 198, 160, 20}},
                       {IDC_TIP_NEXT, {196, 190, 100, 28}},
                       {IDCANCEL, {306, 190, 100, 28}},
                   });
}

void SetTipFont(HWND box, TipBoxState& state) {
    HFONT font = CreateFontByPoints(GetDpiForWindow(box), kTextFace, 120, 0);
    SendDlgItemMessageW(box, IDC_TIP_TEXT, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    DeleteObject(state.font);
    state.font = font;
}

void ShowTip(HWND box, TipBoxState& state, std::optional<std::string_view> tip) {
    if (!tip) {
        state.ended = true;  // the rules have already closed the box and moved past the tip
        EndDialog(box, 0);
        return;
    }
    SetDlgItemTextW(box, IDC_TIP_TEXT, TipForDisplay(*tip).c_str());
}

INT_PTR CALLBACK TipBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<TipBoxState*>(GetWindowLongPtrW(box, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG:
            SetWindowLongPtrW(box, DWLP_USER, lParam);
            state = reinterpret_cast<TipBoxState*>(lParam);
            ShowProgramIcon(box);
            LayOutTipBox(box);
            SetTipFont(box, *state);
            CheckDlgButton(box, IDC_TIP_AT_STARTUP,
                           state->rules.ShowAtStartup() ? BST_CHECKED : BST_UNCHECKED);
            ShowTip(box, *state, state->rules.Open());
            SetFocus(GetDlgItem(box, IDCANCEL));
            return FALSE;
        case WM_CTLCOLORSTATIC:
            // A read-only edit control takes the dialog's grey; the tip stands on white, as on
            // Linux.
            if (GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) == IDC_TIP_TEXT) {
                SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOW));
                return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_WINDOW));
            }
            return FALSE;
        case WM_DPICHANGED:
            LayOutTipBox(box);
            SetTipFont(box, *state);
            return TRUE;
        case WM_DESTROY:
            DeleteObject(state->font);
            state->font = nullptr;
            return FALSE;
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDC_TIP_NEXT:
                    ShowTip(box, *state, state->rules.NextTip());
                    return TRUE;
                case IDC_TIP_AT_STARTUP:
                    state->rules.ToggleShowAtStartup();
                    return TRUE;
                case IDOK:
                case IDCANCEL:
                    if (!state->ended) {
                        state->rules.Close();
                        state->ended = true;
                    }
                    EndDialog(box, 0);
                    return TRUE;
                default:
                    return FALSE;
            }
        default:
            return FALSE;
    }
}

bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

void ShowSplash(const Artwork& artwork) {
    if (artwork.Splash() == nullptr) {
        return;
    }
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW splashClass{};
    splashClass.lpfnWndProc = SplashProc;
    splashClass.hInstance = instance;
    splashClass.lpszClassName = L"PlinkoraSplash";
    splashClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    RegisterClassW(&splashClass);
    const int size = MulDiv(202, GetDpiForSystem(), 96);
    const int left = (GetSystemMetrics(SM_CXSCREEN) - size) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - size) / 2;
    HWND splash = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, splashClass.lpszClassName,
                                  L"Plinkora", WS_POPUP | WS_VISIBLE, left, top, size, size,
                                  nullptr, nullptr, instance, nullptr);
    if (splash == nullptr) {
        return;
    }
    SetWindowLongPtrW(splash, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&artwork));
    InvalidateRect(splash, nullptr, FALSE);
    SetTimer(splash, kSplashTimer, kSplashMilliseconds, nullptr);
    MSG message;
    while (IsWindow(splash) && GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void LoadTipsAtStartup(HWND owner) {
    std::string tipsPath = kTipsTextName;
    if (!FileExists(Wide(tipsPath))) {
        // Started from elsewhere (a document's folder, say): the installed tips.
        const std::string folder = Utf8(ProgramFolder());
        tipsPath = folder + kTipsTextName;
        tipsLogPath = folder + kTipsLogName;
    }
    tipsAvailable = LoadTips(tipState, tipsLogPath, tipsPath);
    if (tipsAvailable && tipState.showTipsAtStartup != 0) {
        ShowTipOfTheDay(owner);
    }
}

void ShowTipOfTheDay(HWND owner) {
    if (!tipsAvailable) {
        return;
    }
    TipBoxState state{TipBoxRules(tipState, tipsLogPath)};
    DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_TIP_BOX), owner, TipBoxProc,
                    reinterpret_cast<LPARAM>(&state));
}

}  // namespace plinkora
