#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "recording/event_record.h"
#include "recording/offline_render.h"

namespace plinkora {

inline constexpr uint32_t kWaveSampleRate = 44100;
// After the last event the notes ring out this long, pedal and reverberation included.
inline constexpr uint32_t kWaveRingOutMs = 2000;

enum class WaveExportResult { kWritten, kCancelled, kTooLong, kCannotCreate, kCannotWrite };

// Told how much of the rendering is done, 0..1, now and then; false cancels it.
using RenderProgress = std::function<bool(double done)>;

// Renders the events as playback sounds them into a 16-bit stereo WAV file at path. The file
// appears whole or not at all: cancelled or failed, it leaves no file behind and the file that
// was there before stays as it was.
WaveExportResult ExportWaveFile(std::span<const EventRecord> events, const RenderSettings& settings,
                                RenderTarget& target, const std::string& path,
                                const RenderProgress& progress);

}  // namespace plinkora
