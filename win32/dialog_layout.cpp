#include "win32/dialog_layout.h"

#include <algorithm>

namespace plinkora {

int ScaledToDialog(HWND box, int pixels) {
    return MulDiv(pixels, int(GetDpiForWindow(box)), USER_DEFAULT_SCREEN_DPI);
}

void LayOutInPixels(HWND box, Size client, std::initializer_list<ControlPlace> places) {
    const UINT dpi = GetDpiForWindow(box);
    const auto style = DWORD(GetWindowLongPtrW(box, GWL_STYLE));
    const auto exStyle = DWORD(GetWindowLongPtrW(box, GWL_EXSTYLE));
    RECT frame{0, 0, ScaledToDialog(box, client.width), ScaledToDialog(box, client.height)};
    AdjustWindowRectExForDpi(&frame, style, FALSE, exStyle, dpi);
    const LONG width = frame.right - frame.left, height = frame.bottom - frame.top;

    // Over the owner's middle, or the screen's without one; always wholly on its monitor.
    HWND owner = GetWindow(box, GW_OWNER);
    MONITORINFO monitor{sizeof monitor, {}, {}, 0};
    GetMonitorInfoW(MonitorFromWindow(owner != nullptr ? owner : box, MONITOR_DEFAULTTONEAREST),
                    &monitor);
    RECT around = monitor.rcWork;
    if (owner != nullptr && IsWindowVisible(owner) && !IsIconic(owner)) {
        GetWindowRect(owner, &around);
    }
    LONG left = (around.left + around.right - width) / 2;
    LONG top = (around.top + around.bottom - height) / 2;
    left = std::max(monitor.rcWork.left, std::min(left, monitor.rcWork.right - width));
    top = std::max(monitor.rcWork.top, std::min(top, monitor.rcWork.bottom - height));
    SetWindowPos(box, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);

    for (const ControlPlace& control : places) {
        SetWindowPos(GetDlgItem(box, control.id), nullptr, ScaledToDialog(box, control.place.left),
                     ScaledToDialog(box, control.place.top),
                     ScaledToDialog(box, control.place.width),
                     ScaledToDialog(box, control.place.height), SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

}  // namespace plinkora
