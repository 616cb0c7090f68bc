#include "win32/dialogs.h"

#include <algorithm>
#include <string>

#include "win32/resource_ids.h"

// Help is the compiled help file beside the program, shown by Windows' HTML Help. HTML Help is
// looked for only when help is first asked for, and only once: a machine without it still runs
// the program.
namespace plinkora {

namespace {

constexpr wchar_t kHelpFileName[] = L"Plinkora.chm";
constexpr char kStartPage[] = "::/default.htm";
constexpr UINT kDisplayTopic = 0;  // HH_DISPLAY_TOPIC

using HtmlHelpFunction = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);

struct HtmlHelpBinding {
    HMODULE module = nullptr;
    HtmlHelpFunction entry = nullptr;
    bool failed = false;
};

HtmlHelpBinding binding;

// Where the system registers HTML Help's control, else the name Windows has always given it.
HMODULE LoadHtmlHelp() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT,
                      L"CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32", 0, KEY_READ,
                      &key) == ERROR_SUCCESS) {
        wchar_t path[MAX_PATH] = {};
        DWORD size = sizeof path - sizeof(wchar_t);
        DWORD type = 0;
        const bool read = RegQueryValueExW(key, nullptr, nullptr, &type,
                                           reinterpret_cast<BYTE*>(path), &size) == ERROR_SUCCESS;
        RegCloseKey(key);
        if (read && (type == REG_SZ || type == REG_EXPAND_SZ)) {
            wchar_t expanded[MAX_PATH] = {};
            if (ExpandEnvironmentStringsW(path, expanded, MAX_PATH) - 1 < MAX_PATH) {
                if (HMODULE module = LoadLibraryW(expanded)) {
                    return module;
                }
            }
        }
    }
    return LoadLibraryW(L"hhctrl.ocx");
}

HtmlHelpFunction HtmlHelpEntry() {
    if (binding.entry == nullptr && !binding.failed) {
        binding.module = LoadHtmlHelp();
        if (binding.module != nullptr) {
            binding.entry = reinterpret_cast<HtmlHelpFunction>(
                reinterpret_cast<void*>(GetProcAddress(binding.module, "HtmlHelpA")));
        }
        binding.failed = binding.entry == nullptr;
    }
    return binding.entry;
}

// HtmlHelpA takes the system's code page. A folder it cannot spell there is given by its short
// name, which is plain ASCII.
std::string AnsiPath(const std::wstring& path) {
    std::wstring usable = path;
    BOOL lost = FALSE;
    const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, usable.c_str(), -1,
                                           nullptr, 0, nullptr, &lost);
    if (lost || length == 0) {
        wchar_t shortPath[MAX_PATH] = {};
        const DWORD shortLength = GetShortPathNameW(path.c_str(), shortPath, MAX_PATH);
        if (shortLength > 0 && shortLength < MAX_PATH) {
            usable.assign(shortPath, shortLength);
        }
    }
    std::string ansi(
        size_t(WideCharToMultiByte(CP_ACP, 0, usable.c_str(), -1, nullptr, 0, nullptr, nullptr)),
        '\0');
    WideCharToMultiByte(CP_ACP, 0, usable.c_str(), -1, ansi.data(), int(ansi.size()), nullptr,
                        nullptr);
    ansi.resize(ansi.size() - 1);  // the count held the terminating zero
    return ansi;
}

struct HelpFailure {
    std::wstring why;
    std::wstring file;
};

// Widens the box so that the file's name shows whole, as far as the screen allows; beyond that
// the field scrolls, and nothing of the name is lost.
void FitFileName(HWND box, const std::wstring& file) {
    HWND field = GetDlgItem(box, IDC_HELP_FILE);
    HDC dc = GetDC(field);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(field, WM_GETFONT, 0, 0)));
    SIZE text{};
    GetTextExtentPoint32W(dc, file.c_str(), int(file.size()), &text);
    SelectObject(dc, old);
    ReleaseDC(field, dc);
    const DWORD margins = DWORD(SendMessageW(field, EM_GETMARGINS, 0, 0));
    const int needed = text.cx + LOWORD(margins) + HIWORD(margins) + 4;
    RECT place;
    GetWindowRect(field, &place);
    const int grow = needed - (place.right - place.left);
    if (grow <= 0) {
        return;
    }
    MONITORINFO monitor{sizeof monitor, {}, {}, 0};
    GetMonitorInfoW(MonitorFromWindow(box, MONITOR_DEFAULTTONEAREST), &monitor);
    RECT frame;
    GetWindowRect(box, &frame);
    const int width =
        std::min<int>(frame.right - frame.left + grow, monitor.rcWork.right - monitor.rcWork.left);
    const int added = width - (frame.right - frame.left);
    const int left = std::max<int>(monitor.rcWork.left, frame.left - added / 2);
    SetWindowPos(box, nullptr, left, frame.top, width, frame.bottom - frame.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&place), 2);
    SetWindowPos(field, nullptr, 0, 0, place.right - place.left + added, place.bottom - place.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    HWND ok = GetDlgItem(box, IDOK);
    RECT button;
    GetWindowRect(ok, &button);
    MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&button), 2);
    SetWindowPos(ok, nullptr, button.left + added / 2, button.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK HelpFailedProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: {
            const auto* failure = reinterpret_cast<const HelpFailure*>(lParam);
            SendDlgItemMessageW(box, IDC_HELP_ICON, STM_SETICON,
                                reinterpret_cast<WPARAM>(LoadIconW(nullptr, IDI_WARNING)), 0);
            SetDlgItemTextW(box, IDC_HELP_WHY, failure->why.c_str());
            SetDlgItemTextW(box, IDC_HELP_FILE, failure->file.c_str());
            FitFileName(box, failure->file);
            SetFocus(GetDlgItem(box, IDOK));
            return FALSE;
        }
        case WM_CTLCOLORSTATIC:
            // The read-only field looks like the text above it.
            SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
            return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                EndDialog(box, 0);
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}

void SayHelpFailed(HWND owner, const std::wstring& why, const std::wstring& file) {
    MessageBeep(MB_ICONEXCLAMATION);
    HelpFailure failure{why, file};
    DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_HELP_FAILED), owner,
                    HelpFailedProc, reinterpret_cast<LPARAM>(&failure));
}

}  // namespace

std::wstring HelpFilePath() {
    return ProgramFolder() + kHelpFileName;
}

void ShowHelp(HWND owner) {
    const std::wstring file = HelpFilePath();
    if (GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES) {
        SayHelpFailed(owner, L"The help file is missing:", file);
        return;
    }
    const HtmlHelpFunction htmlHelp = HtmlHelpEntry();
    if (htmlHelp == nullptr) {
        SayHelpFailed(owner, L"HTML Help (hhctrl.ocx) is not installed, so it cannot show:", file);
        return;
    }
    const std::string topic = AnsiPath(file) + kStartPage;
    if (htmlHelp(nullptr, topic.c_str(), kDisplayTopic, 0) == nullptr) {
        SayHelpFailed(owner, L"HTML Help could not show the help file:", file);
    }
}

}  // namespace plinkora
