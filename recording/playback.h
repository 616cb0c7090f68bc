#pragma once

#include "engine/performance.h"
#include "recording/due_times.h"
#include "recording/event_record.h"
#include "recording/scheduler.h"

namespace plinkora {

// Window thread: sounds and draws one played-back event with the settings of this moment:
// key signature, force, channel and bourdon. Skipped while the device is closed.
void PlayRecordedEvent(Performance& p, const EventRecord& event);

// The data work of "End Playing": stop the scheduler, forget held keys, silence all channels
// and redraw every key released.
void EndPlaying(Performance& p, PlaybackScheduler& scheduler);

}  // namespace plinkora
