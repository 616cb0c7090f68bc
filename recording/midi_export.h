#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "recording/document.h"
#include "recording/event_record.h"

namespace plinkora {

inline constexpr uint16_t kTicksPerQuarter = 192;
inline constexpr uint32_t kTempoMicroseconds = 759494;

// floor(delayMs x 192000 / 759494), clamped to the largest variable-length quantity.
uint32_t DelayToTicks(uint32_t delayMs);

// The Standard MIDI File for a recording: format 0, or format 1 with a bourdon track. None
// when the key signature is none of the 24. The octave shifts of Shift and Ctrl chords are
// left out unless asPlayed, which writes each note in the octave it sounded in (a release
// ends the note its key's press began; events playback would skip are left out too). Both
// have the space bar's pedal as control change 64 on each track's channel, at its time, lifted
// at the take's end where the take left it down: a take without it gives the same bytes as
// before there was a pedal.
std::optional<std::vector<uint8_t>> BuildMidiFile(std::span<const EventRecord> events,
                                                  int32_t keySignature, int32_t program,
                                                  bool bourdonOn, bool asPlayed = false);

// Writes BuildMidiFile's bytes to path without ever leaving a partial file or losing the file
// that was there. Fails with kCannotOpenToWrite when path cannot take a file, kCannotWrite
// otherwise.
DocumentResult ExportMidiFile(std::span<const EventRecord> events, int32_t keySignature,
                              int32_t program, bool bourdonOn, const std::string& path,
                              bool asPlayed = false);

}  // namespace plinkora
