#pragma once

#include <windows.h>

namespace plinkora {

// The main window's own messages and timers.

// One event or more of a playback fell due; the scheduler thread posts it.
inline constexpr UINT WM_PLAYBACK_EVENT = WM_USER + 1;
// The outputs reported a lost device or the end of a slow opening.
inline constexpr UINT WM_DEVICE_REPORT = WM_USER + 2;

inline constexpr UINT_PTR kAutoPlayTimer = 1;
inline constexpr UINT_PTR kRetryTimer = 2;
inline constexpr UINT_PTR kOwedTimer = 3;

}  // namespace plinkora
