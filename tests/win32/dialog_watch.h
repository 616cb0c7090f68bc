#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace plinkora::testing {

// Looks at the next dialog or message box the test's thread opens, from inside its modal loop,
// then closes it as OK does: call before the call that opens it.
inline std::function<void(HWND)>& PendingLook() {
    static std::function<void(HWND)> look;
    return look;
}

inline HWND OpenDialogOfThisThread() {
    HWND found = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM result) {
            wchar_t name[16] = {};
            GetClassNameW(window, name, 16);
            if (std::wstring(name) == L"#32770" && IsWindowVisible(window)) {
                *reinterpret_cast<HWND*>(result) = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

inline void WhenDialogOpens(std::function<void(HWND)> look) {
    PendingLook() = std::move(look);
    SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR timer, DWORD) {
        HWND box = OpenDialogOfThisThread();
        if (box == nullptr) {
            return;
        }
        KillTimer(nullptr, timer);
        PendingLook()(box);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
}

inline std::wstring WindowText(HWND window) {
    wchar_t text[1024] = {};
    GetWindowTextW(window, text, 1024);
    return text;
}

}  // namespace plinkora::testing
