#pragma once

#include <cstdint>
#include <optional>

#include "engine/performance.h"

namespace plinkora {

// Scroll codes of the Force and Freq bars.
enum ScrollCode : int {
    kLineUp = 0,
    kLineDown = 1,
    kPageUp = 2,
    kPageDown = 3,
    kThumbPosition = 4,  // the thumb was released
    kThumbTrack = 5,     // the thumb is being dragged
    kTop = 6,
    kBottom = 7,
    kEndScroll = 8,
};

inline constexpr int kTrackCount = 15;  // channels 0..14; 15 is the bourdon's
inline constexpr int kProgramCount = 128;
inline constexpr int32_t kForceBarMin = 1, kForceBarMax = 127;
inline constexpr int32_t kFreqBarMin = 1, kFreqBarMax = 0x3FFF;
inline constexpr int32_t kBendRest = 0x1FFF;

// Both bars show their value upside down, so that up means more.
constexpr int32_t ForceBarPosition(int32_t force) {
    return 128 - force;
}
constexpr int32_t FreqBarPosition(int32_t bend) {
    return 0x3FFF - bend;
}

// The Force bar: returns the bar's new position, or nothing for codes that change nothing.
std::optional<int32_t> HandleForceScroll(Performance& p, int code, int32_t thumbPosition);
// The spring-loaded Freq bar: bends while dragged, returns to rest when released.
std::optional<int32_t> HandleFreqScroll(Performance& p, int code, int32_t thumbPosition);

// The choices of the menus. Values beyond the real choices would build messages with a wrong
// status or data byte, so they choose nothing.
void ChooseInstrument(Performance& p, int32_t program);         // 0..127
void ChooseTrack(Performance& p, int32_t channel);              // 0..14
void ChooseKeySignature(Performance& p, int32_t keySignature);  // one of the 24 identifiers
// The octave-lower doubling on channel 15; sends nothing, the next key sounds it.
void SetBourdon(Performance& p, bool on);

}  // namespace plinkora
