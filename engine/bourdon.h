#pragma once

#include <cstdint>

#include "engine/performance.h"

namespace plinkora {

inline constexpr int kBourdonCommand = 1333;

// Switches the octave-lower doubling on channel 15; sends nothing.
void ToggleBourdon(Performance& p);
// A loaded document's flag: only 1 means on.
void SetBourdonFromDocument(Performance& p, uint32_t storedValue);

// Sounds or silences a key's note on the performance channel and, while the bourdon is on, its
// octave-lower partner on channel 15. octave already holds the key's octave shift.
void SoundKeyNote(Performance& p, bool down, int32_t octave, int32_t semitone);

}  // namespace plinkora
