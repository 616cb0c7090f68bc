#pragma once

#include <cstdint>

#include "engine/performance.h"

namespace plinkora {

inline constexpr uint32_t kKeyDown = 256;  // the message of a key press
inline constexpr uint32_t kKeyUp = 257;    // the message of a key release
inline constexpr uint32_t kRepeatBit = 1u << 30;

// Key parameter of a key message: the scan code in bits 16-23, bit 30 set on auto-repeat.
constexpr uint32_t KeyParam(uint32_t scanCode, bool autoRepeat = false) {
    return (scanCode << 16) | (autoRepeat ? kRepeatBit : 0u);
}

// A key press or release of the typing keyboard (or a clicked cap). Only while the device is
// open; silent keys and scan codes beyond the table are ignored.
void PlayKey(Performance& p, uint32_t message, uint32_t keyParam);

// Esc: silence every channel and forget the held groups. Only while the device is open.
void PressEscape(Performance& p);

// Forget the held groups and silence every channel (used when playback ends).
void ReleaseAllKeys(Performance& p);

}  // namespace plinkora
