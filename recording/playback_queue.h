#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "recording/scheduler.h"

namespace plinkora {

// The window thread's end of playback: the scheduler thread queues what falls due, the window
// thread drains it in order. Room for a thousand events is kept ready, so posting only
// allocates when the window thread has fallen that far behind.
class PlaybackQueue final : public PlaybackSink {
  public:
    // wake runs on the scheduler thread whenever the queue stops being empty; it must only
    // arrange for Drain to run on the window thread, never drain itself, and must allocate
    // nothing (the window wakes through a pipe, not a queued call).
    explicit PlaybackQueue(std::function<void()> wake = {});

    void PostPlaybackEvent(const EventRecord& event) override;
    void PostEndPlaying() override;
    void DiscardPending() override;

    // Window thread: hands everything queued to the handlers, in order. A handler that stops
    // playback (End playing does) discards the rest. A nested call (from a handler's own event
    // loop) returns at once; the outer call delivers what arrived meanwhile.
    void Drain(const std::function<void(const EventRecord&)>& onEvent,
               const std::function<void()>& onEndPlaying);

    // Any thread.
    size_t PendingCount() const;

  private:
    struct Item {
        EventRecord event;
        bool endPlaying;
    };

    void Push(const Item& item);
    bool TakePending();

    std::function<void()> wake_;
    mutable std::mutex mutex_;
    std::vector<Item> pending_;   // guarded by mutex_
    uint64_t discards_ = 0;       // guarded by mutex_
    std::vector<Item> draining_;  // window thread only
    bool drainingActive_ = false;
};

}  // namespace plinkora
