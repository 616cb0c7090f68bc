#pragma once

#include <algorithm>
#include <cstdint>
#include <span>

#include "engine/performance.h"
#include "recording/event_record.h"
#include "recording/scheduler.h"

namespace plinkora {

// How long after the event before it the scheduler delivers an event.
constexpr uint32_t PlaybackGapMs(const EventRecord& event) {
    return std::max(event.delay_ms, kMinimumEventGapMs);
}

// How long a single play takes, from its start to its last event.
uint64_t PlaybackDurationMs(std::span<const EventRecord> events);

// Window thread: sounds and draws one played-back event with the settings of this moment:
// key signature, force, channel and bourdon. Skipped while the device is closed.
void PlayRecordedEvent(Performance& p, const EventRecord& event);

// The data work of "End Playing": stop the scheduler, forget held keys, silence all channels
// and redraw every key released.
void EndPlaying(Performance& p, PlaybackScheduler& scheduler);

}  // namespace plinkora
