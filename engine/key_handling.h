#pragma once

#include <cstdint>

#include "engine/key_stroke.h"
#include "engine/performance.h"

namespace plinkora {

// A key press or release of the typing keyboard (or a clicked cap). Only while the device is
// open; silent keys and scan codes beyond the table are ignored.
void PlayKey(Performance& p, const KeyStroke& key);

// Esc: silence every channel and forget the held groups. Only while the device is open.
void PressEscape(Performance& p);

// Forget the held groups and silence every channel (used when playback ends).
void ReleaseAllKeys(Performance& p);

}  // namespace plinkora
