#pragma once

#include <cstdint>

#include "engine/performance.h"

namespace plinkora {

// The space bar is the sustain pedal. Its scan code lies beyond the key table, so a document
// that holds its events reads, in a program that knows no pedal, as a key that plays nothing.
inline constexpr uint32_t kPedalScanCode = 0x39;
inline constexpr uint8_t kSustainController = 64;
inline constexpr uint8_t kPedalDownValue = 127;

// Puts the pedal down on the performance channel and, while the bourdon is on, on the bourdon
// channel, and remembers where in pedal. False when it was down already (a repeat).
bool PressPedal(Performance& p, KeyVoice& pedal);
// Lifts the pedal where its press put it down; nothing when it is up. Sent as a release: a
// pedal left down would hold every later note.
void LiftPedal(Performance& p, KeyVoice& pedal);
// Lifts the live and the played pedal, before All Notes Off: a synthesizer holds the notes
// that All Notes Off ends for as long as the pedal stays down.
void LiftPedals(Performance& p);
// Lifts the pedal on each channel of pedalsLeftDown, where a device that closed lost or owing
// releases may have left it down at its receiver; called as a device opens.
void LiftPedalsLeftDown(Performance& p);

}  // namespace plinkora
