#include "win32/control_bars.h"

#include "engine/controls.h"

namespace plinkora {

namespace {

constexpr int kForceBarId = 1344;
constexpr int kFreqBarId = 1345;

HWND CreateBar(HWND parent, int id, const wchar_t* name, int minimum, int maximum, int position) {
    // The name is what screen readers announce for the bar.
    HWND bar =
        CreateWindowExW(0, L"SCROLLBAR", name, WS_CHILD | WS_VISIBLE | SBS_VERT, 0, 0, 0, 0, parent,
                        reinterpret_cast<HMENU>(INT_PTR(id)), GetModuleHandleW(nullptr), nullptr);
    SetScrollRange(bar, SB_CTL, minimum, maximum, FALSE);
    SetScrollPos(bar, SB_CTL, position, TRUE);
    return bar;
}

// The position the thumb is dragged to, with all of the bar's range (the message has 16 bits).
int TrackPosition(HWND bar) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_TRACKPOS;
    GetScrollInfo(bar, SB_CTL, &info);
    return info.nTrackPos;
}

}  // namespace

ControlBars::ControlBars(HWND parent, Performance& performance)
    : performance_(performance),
      force_(CreateBar(parent, kForceBarId, L"Force", kForceBarMin, kForceBarMax,
                       ForceBarPosition(performance.force))),
      freq_(CreateBar(parent, kFreqBarId, L"Freq", kFreqBarMin, kFreqBarMax,
                      performance.freqPosition)) {}

bool ControlBars::Scroll(HWND bar, int code) {
    std::optional<int32_t> moved;
    if (bar == force_) {
        moved = HandleForceScroll(performance_, code, TrackPosition(bar));
    } else if (bar == freq_) {
        moved = HandleFreqScroll(performance_, code, TrackPosition(bar));
    } else {
        return false;
    }
    if (moved) {
        SetScrollPos(bar, SB_CTL, *moved, TRUE);
    }
    return true;
}

void ControlBars::StepForce(ScrollCode code) {
    if (code >= kLineUp && code <= kPageDown) {
        Scroll(force_, code);
    }
}

// The thumb held at the end of the bar, as a dragging hand holds it: its top bends up.
void ControlBars::HoldFreq(bool up) {
    const int position = up ? kFreqBarMin : kFreqBarMax;
    if (std::optional<int32_t> moved = HandleFreqScroll(performance_, kThumbTrack, position)) {
        SetScrollPos(freq_, SB_CTL, *moved, TRUE);
    } else {
        SetScrollPos(freq_, SB_CTL, position, TRUE);
    }
}

// Springs back as a released thumb does.
void ControlBars::ReleaseFreq() {
    const int position = GetScrollPos(freq_, SB_CTL);
    if (std::optional<int32_t> moved = HandleFreqScroll(performance_, kThumbPosition, position)) {
        SetScrollPos(freq_, SB_CTL, *moved, TRUE);
    }
}

}  // namespace plinkora
