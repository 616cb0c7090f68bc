#pragma once

#include <cstdint>

namespace plinkora {

// One position of the typing keyboard, indexed by its PC scan code (set 1).
struct KeyEntry {
    int32_t octave;     // 3..6, or -1 for a key that plays nothing
    int32_t semitone;   // 0..11 above degree "1"
    int32_t top;        // y of the cap within the drawn keyboard
    int32_t left;       // x of the cap within the drawn keyboard
    const char* label;  // numbered-notation text, null for a silent key
};

inline constexpr int kKeyTableSize = 54;
extern const KeyEntry KeyTable[kKeyTableSize];

// The playing key for a scan code, or null for codes beyond the table and silent keys.
const KeyEntry* PlayingKey(uint32_t scanCode);

}  // namespace plinkora
