#pragma once

#include <algorithm>
#include <cstdint>
#include <span>

#include "recording/event_record.h"

namespace plinkora {

inline constexpr uint32_t kMinimumEventGapMs = 5;

// How long after the event before it an event falls due.
constexpr uint32_t PlaybackGapMs(const EventRecord& event) {
    return std::max(event.delay_ms, kMinimumEventGapMs);
}

// When event k falls due, in milliseconds from the start of a playback, given when event k - 1
// fell due. The scheduler and the offline renderer both step their deadlines with it from one
// starting point, so they agree to the millisecond and lateness never adds up.
constexpr uint64_t NextDueMs(uint64_t previousDueMs, const EventRecord& event) {
    return previousDueMs + PlaybackGapMs(event);
}

// How long a single play takes, from its start to its last event.
constexpr uint64_t PlaybackDurationMs(std::span<const EventRecord> events) {
    uint64_t dueMs = 0;
    for (const EventRecord& event : events) {
        dueMs = NextDueMs(dueMs, event);
    }
    return dueMs;
}

}  // namespace plinkora
