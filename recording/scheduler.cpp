#include "recording/scheduler.h"

#if defined(__linux__) || defined(__APPLE__)
#include <pthread.h>
#include <sched.h>
#endif

#include <chrono>
#include <system_error>

namespace plinkora {

namespace {

// A thread that only sleeps and posts may run ahead of busy ones: its wake-ups are then punctual
// on a loaded machine too. Where the system refuses (no privilege), it keeps normal priority.
void RaiseTimingPriority() noexcept {
#if defined(__linux__) || defined(__APPLE__)
    sched_param param{};
    param.sched_priority = sched_get_priority_min(SCHED_FIFO);
    pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
#endif
}

// The scheduler whose thread this is, if any: a stop asked for from inside a post must not
// wait for its own thread. Set by the thread itself, so it never races the std::thread handle.
thread_local const PlaybackScheduler* runningScheduler = nullptr;

}  // namespace

const SteadySchedulerClock PlaybackScheduler::steadyClock_;

PlaybackScheduler::PlaybackScheduler(PlaybackSink& sink, const SchedulerClock& clock)
    : sink_(sink), clock_(clock) {}

PlaybackScheduler::~PlaybackScheduler() {
    StopPlayback();
}

bool PlaybackScheduler::StartPlayback(SharedEventList events, bool loop) {
    StopPlayback();
    // From inside a post the old thread is still running and cannot be replaced.
    if (runningScheduler == this || !events || events->empty()) {
        return false;
    }
    {
        std::lock_guard lock(mutex_);
        stopRequested_ = false;
    }
    current_ = std::move(events);
    playing_ = true;
    try {
        // Deadlines count from now, so the thread's own start-up delays nothing.
        thread_ =
            std::thread(&PlaybackScheduler::Run, this, std::cref(*current_), loop, clock_.Now());
    } catch (const std::system_error&) {
        playing_ = false;
        current_.reset();
        return false;
    }
    return true;
}

void PlaybackScheduler::StopPlayback() {
    {
        std::lock_guard lock(mutex_);
        stopRequested_ = true;
    }
    wake_.notify_all();
    if (runningScheduler == this) {
        // Called from inside a post: the thread sees the flag as soon as the post returns; the
        // next call from another thread joins it.
        playing_ = false;
        return;
    }
    if (thread_.joinable()) {
        thread_.join();
    }
    playing_ = false;
    current_.reset();
    sink_.DiscardPending();
}

bool PlaybackScheduler::IsPlaying() const {
    return playing_;
}

bool PlaybackScheduler::WaitUntilDueOrStopped(SchedulerClock::TimePoint due) noexcept {
    std::unique_lock lock(mutex_);
    return clock_.WaitUntil(lock, wake_, due, stopRequested_);
}

void PlaybackScheduler::Run(const EventList& events, bool loop,
                            SchedulerClock::TimePoint start) noexcept {
    runningScheduler = this;
    RaiseTimingPriority();
    // Deadlines add up from one starting point, so a late wake-up shortens the next wait
    // instead of pushing every later event back.
    uint64_t dueMs = 0;
    size_t next = 0;
    for (;;) {
        dueMs = NextDueMs(dueMs, events[next]);
        if (!WaitUntilDueOrStopped(start + std::chrono::milliseconds(dueMs))) {
            return;
        }
        sink_.PostPlaybackEvent(events[next]);
        if (++next < events.size()) {
            continue;
        }
        if (!loop) {
            break;
        }
        // Circle play: the first event's own delay is the pause between rounds.
        next = 0;
    }
    {
        std::lock_guard lock(mutex_);
        if (stopRequested_) {
            return;
        }
    }
    playing_ = false;
    sink_.PostEndPlaying();
}

}  // namespace plinkora
