#include "recording/recording.h"

#include <new>

namespace plinkora {

namespace {

// Shared by every empty copy, so forgetting a copy never needs memory.
const SharedEventList& EmptyList() {
    static const SharedEventList empty = std::make_shared<const EventList>();
    return empty;
}

}  // namespace

void Recording::RecordKey(const KeyStroke& key, int32_t octaveShift) {
    // A release is never the first event of a list.
    if (!isRecording || (!key.down && recordingList.empty())) {
        return;
    }
    Append(key.down ? kKeyDown : kKeyUp, KeyParam(key.scanCode, key.repeat), octaveShift);
}

void Recording::Append(uint32_t message, uint32_t keyParam, int32_t octaveShift) {
    const uint32_t now = clock_.NowMs();
    try {
        recordingList.push_back({now - lastEventTime, message, keyParam, octaveShift});
    } catch (const std::bad_alloc&) {
        // The event is lost, but lastEventTime stays, so the next event still carries the
        // time since the last one kept and the performance keeps its timing.
        return;
    }
    lastEventTime = now;
    if (recordingList.size() == 1) {
        documentModified = true;
    }
}

void BeginRecording(Recording& r) {
    r.isRecording = true;
    EventList().swap(r.recordingList);
    r.lastEventTime = r.Clock().NowMs();
}

bool EndRecording(Recording& r) {
    if (r.recordingList.empty()) {
        r.documentModified = false;
    }
    r.isRecording = false;
    FreePlaybackCopy(r);
    return CopyForPlayback(r, r.recordingList);
}

bool CopyForPlayback(Recording& r, std::span<const EventRecord> list) {
    FreePlaybackCopy(r);
    try {
        r.playbackList = std::make_shared<const EventList>(list.begin(), list.end());
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

void FreePlaybackCopy(Recording& r) {
    r.playbackList = EmptyList();
}

}  // namespace plinkora
