#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "recording/due_times.h"
#include "recording/recording.h"

namespace plinkora {

// Where the scheduler reads the time and waits for a deadline. Tests put a clock of their own.
class SchedulerClock {
  public:
    using TimePoint = std::chrono::steady_clock::time_point;
    virtual ~SchedulerClock() = default;
    // Any thread.
    virtual TimePoint Now() const = 0;
    // Scheduler thread, lock held on the mutex wake goes with: waits until due, or until
    // stopped holds once wake has been notified. False when stopped.
    virtual bool WaitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& wake,
                           TimePoint due, const bool& stopped) const noexcept = 0;
};

// The machine's monotonic clock; its waits sleep.
class SteadySchedulerClock final : public SchedulerClock {
  public:
    TimePoint Now() const override { return std::chrono::steady_clock::now(); }
    bool WaitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& wake, TimePoint due,
                   const bool& stopped) const noexcept override {
        return !wake.wait_until(lock, due, [&stopped] { return stopped; });
    }
};

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
// The sink and the clock must outlive the scheduler.
class PlaybackScheduler {
  public:
    explicit PlaybackScheduler(PlaybackSink& sink, const SchedulerClock& clock = steadyClock_);
    ~PlaybackScheduler();  // stops any playback first
    PlaybackScheduler(const PlaybackScheduler&) = delete;
    PlaybackScheduler& operator=(const PlaybackScheduler&) = delete;

    // Window thread. Stops any playback, then plays events once or, with loop, until stopped
    // (the first event's delay is the pause between rounds). False for an empty list, or when
    // no thread can be started. The scheduler keeps the list alive while it plays.
    [[nodiscard]] bool StartPlayback(SharedEventList events, bool loop);
    // Window thread (also safe from inside a delivered End playing). When it returns, nothing
    // more will be posted and the sink has discarded what was still pending. Called on the
    // scheduler thread itself (from inside a post) it only asks the thread to stop.
    void StopPlayback();
    // Any thread.
    bool IsPlaying() const;

  private:
    // Scheduler thread: allocates nothing, throws nothing, reaches the window only via sink_.
    void Run(const EventList& events, bool loop, SchedulerClock::TimePoint start) noexcept;
    bool WaitUntilDueOrStopped(SchedulerClock::TimePoint due) noexcept;

    static const SteadySchedulerClock steadyClock_;
    PlaybackSink& sink_;
    const SchedulerClock& clock_;
    std::thread thread_;
    SharedEventList current_;  // window thread only; released only after the thread has ended
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool stopRequested_ = false;  // guarded by mutex_
    std::atomic<bool> playing_{false};
};

}  // namespace plinkora
