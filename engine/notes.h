#pragma once

#include <cstdint>

#include "engine/performance.h"

namespace plinkora {

// Sounds a key's note on the performance channel and, while the bourdon is on, its
// octave-lower partner on channel 15, and remembers them in the key's voice. octave already
// holds the key's octave shift.
void StartKeyNote(Performance& p, KeyVoice& voice, int32_t octave, int32_t semitone);
// Silences what the voice's press started; a voice that sounds nothing sends nothing.
void StopKeyNote(Performance& p, KeyVoice& voice, int32_t semitone);

}  // namespace plinkora
