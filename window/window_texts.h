#pragma once

#include <string>

#include "engine/performance.h"

namespace plinkora {

// The texts the main window paints, in UTF-8.

inline constexpr const char* kHintText =
    "1 Press Shift( or Ctrl) to rise( or fall) 8 musical scale when play music; "
    "2 Please press Esc when Voice is out of the way";

std::string DeviceStateText(const Performance& p);  // "Open" or "Close"
// The name of the chosen output; empty when the system does not know it.
std::string DeviceNameText(const Performance& p);
std::string TrackText(const Performance& p);  // "Track 1".."Track 15"
// The instrument's name with the key signature, e.g. "Violin    1=D"; empty for an identifier
// that names no key signature.
std::string InstrumentCaption(const Performance& p);

}  // namespace plinkora
