#pragma once

#include <cstddef>
#include <cstdint>

namespace plinkora {

// One recorded key event. The same 16 bytes, little-endian, are the element of a document's
// "data" chunk, so the layout is fixed.
struct EventRecord {
    uint32_t delay_ms;     // since the previous event (the first: since recording began)
    uint32_t message;      // 256 key pressed, 257 key released
    uint32_t key_param;    // the key message's parameter; bits 16-23 hold the key index
    int32_t octave_shift;  // -1, 0 or +1: the shift the key sounded with

    friend bool operator==(const EventRecord&, const EventRecord&) = default;
};

inline constexpr uint32_t kKeyDown = 256;  // the message of a key press
inline constexpr uint32_t kKeyUp = 257;    // the message of a key release
inline constexpr uint32_t kRepeatBit = 1u << 30;

// The stored key parameter: the scan code in bits 16-23, bit 30 set on auto-repeat.
constexpr uint32_t KeyParam(uint32_t scanCode, bool autoRepeat = false) {
    return (scanCode << 16) | (autoRepeat ? kRepeatBit : 0u);
}
// The scan code of a stored key parameter; other bits are ignored.
constexpr uint32_t ScanCodeOf(uint32_t keyParam) {
    return (keyParam >> 16) & 0xFF;
}

static_assert(sizeof(EventRecord) == 16);
static_assert(offsetof(EventRecord, delay_ms) == 0);
static_assert(offsetof(EventRecord, message) == 4);
static_assert(offsetof(EventRecord, key_param) == 8);
static_assert(offsetof(EventRecord, octave_shift) == 12);

}  // namespace plinkora
