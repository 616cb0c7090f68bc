#pragma once

#include <cstdint>
#include <span>

#include "recording/event_record.h"

namespace plinkora {

// A synthesizer driven offline: it hears short messages and renders audio on demand.
class RenderTarget {
  public:
    virtual ~RenderTarget() = default;
    virtual void Send(uint32_t word) = 0;
    // The next frames as interleaved stereo floats (frames x 2 values).
    virtual void Render(float* interleaved, int frames) = 0;
};

// Receives rendered audio in order, in blocks.
class FrameSink {
  public:
    virtual ~FrameSink() = default;
    // False to abandon the rendering (a failed write, say).
    virtual bool PutFrames(const float* interleaved, int frames) = 0;
};

// The settings playback would sound the events with.
struct RenderSettings {
    int32_t keySignature;
    int32_t program = 0;
    int32_t force = 127;
    int32_t channel = 0;  // 0..14: Track 1..15
    bool bourdonOn = false;
};

// Frames rendered for events at this rate: the whole playback, then the ring-out.
uint64_t RenderedFrameCount(std::span<const EventRecord> events, uint32_t sampleRate,
                            uint32_t ringOutMs);

// Plays events through the engine as playback does (the instrument first, each event at the
// moment the scheduler would deliver it, All Notes Off as End playing sends it after the last
// one), into target, then lets the notes ring out for ringOutMs. Exactly RenderedFrameCount
// frames reach sink unless it gives up; false then.
bool RenderPerformance(std::span<const EventRecord> events, const RenderSettings& settings,
                       RenderTarget& target, uint32_t sampleRate, uint32_t ringOutMs,
                       FrameSink& sink);

}  // namespace plinkora
