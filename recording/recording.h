#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "engine/performance.h"
#include "recording/clock.h"
#include "recording/event_record.h"

namespace plinkora {

using EventList = std::vector<EventRecord>;
// The playback copy is shared with the scheduler thread, which keeps it alive while it runs.
using SharedEventList = std::shared_ptr<const EventList>;

// The recording list, the playback copy and the document's modified flag. Window thread only.
class Recording final : public KeyRecorder {
  public:
    explicit Recording(const MillisecondClock& clock) : clock_(clock) {}

    // Stores the key as a document does: message 256 or 257 and the packed key parameter.
    void RecordKey(const KeyStroke& key, int32_t octaveShift) override;

    bool isRecording = false;
    EventList recordingList;  // recordedCount is recordingList.size()
    uint32_t lastEventTime = 0;
    bool documentModified = false;
    SharedEventList playbackList = std::make_shared<const EventList>();

    uint32_t RecordedCount() const { return static_cast<uint32_t>(recordingList.size()); }
    uint32_t PlaybackCount() const { return static_cast<uint32_t>(playbackList->size()); }
    const MillisecondClock& Clock() const { return clock_; }

  private:
    void Append(uint32_t message, uint32_t keyParam, int32_t octaveShift);

    const MillisecondClock& clock_;
};

// The data work of "Begin to Record": the caller has checked that the device is open.
void BeginRecording(Recording& r);
// The data work of "End Recording": the list becomes the playback copy; false when memory ran
// out for it (the copy is then empty).
bool EndRecording(Recording& r);
// Replaces the playback copy; false (copy left empty) when memory runs out.
bool CopyForPlayback(Recording& r, std::span<const EventRecord> list);
void FreePlaybackCopy(Recording& r);

}  // namespace plinkora
