#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "recording/recording.h"

namespace plinkora {

inline constexpr uint32_t kMinimumEventGapMs = 5;

// Where the scheduler thread delivers what falls due. Both posts come from the scheduler
// thread and must only queue work for the window thread: never sound, draw or block there.
class PlaybackSink {
  public:
    virtual ~PlaybackSink() = default;
    // The record's values travel with the post, so nothing queued points into a list.
    virtual void PostPlaybackEvent(const EventRecord& event) = 0;
    // After the last event of a single play: the window then runs End playing.
    virtual void PostEndPlaying() = 0;
    // Called by StopPlayback once the thread has stopped: whatever is still queued belongs to a
    // playback that has ended and must not sound (a note-on handled after the closing All
    // Notes Off would hang).
    virtual void DiscardPending() {}
};

// Plays a list in real time on a thread of its own. Event k falls due max(delay_ms, 5) ms after
// event k - 1 fell due, counted from absolute deadlines, so lateness never accumulates.
// The sink must outlive the scheduler.
class PlaybackScheduler {
  public:
    explicit PlaybackScheduler(PlaybackSink& sink);
    ~PlaybackScheduler();  // stops any playback first
    PlaybackScheduler(const PlaybackScheduler&) = delete;
    PlaybackScheduler& operator=(const PlaybackScheduler&) = delete;

    // Window thread. Stops any playback, then plays events once or, with loop, until stopped
    // (the first event's delay is the pause between rounds). False for an empty list, or when
    // no thread can be started. The scheduler keeps the list alive while it plays.
    bool StartPlayback(SharedEventList events, bool loop);
    // Window thread (also safe from inside a delivered End playing). When it returns, nothing
    // more will be posted and the sink has discarded what was still pending. Called on the
    // scheduler thread itself (from inside a post) it only asks the thread to stop.
    void StopPlayback();
    // Any thread.
    bool IsPlaying() const;

  private:
    // Scheduler thread: allocates nothing, throws nothing, reaches the window only via sink_.
    void Run(const EventList& events, bool loop,
             std::chrono::steady_clock::time_point start) noexcept;
    bool WaitUntilDueOrStopped(std::chrono::steady_clock::time_point due) noexcept;

    PlaybackSink& sink_;
    std::thread thread_;
    SharedEventList current_;  // window thread only; released only after the thread has ended
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool stopRequested_ = false;  // guarded by mutex_
    std::atomic<bool> playing_{false};
};

}  // namespace plinkora
