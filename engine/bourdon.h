#pragma once

#include <cstdint>

#include "engine/performance.h"

namespace plinkora {

inline constexpr int kBourdonCommand = 1333;

// Switches the octave-lower doubling on channel 15; sends nothing.
void ToggleBourdon(Performance& p);
// A loaded document's flag: only 1 means on.
void SetBourdonFromDocument(Performance& p, uint32_t storedValue);

}  // namespace plinkora
