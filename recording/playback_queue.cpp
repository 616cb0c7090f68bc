#include "recording/playback_queue.h"

namespace plinkora {

namespace {
constexpr size_t kReservedItems = 1024;
}

PlaybackQueue::PlaybackQueue(std::function<void()> wake) : wake_(std::move(wake)) {
    pending_.reserve(kReservedItems);
    draining_.reserve(kReservedItems);
}

void PlaybackQueue::PostPlaybackEvent(const EventRecord& event) {
    Push({event, false});
}

void PlaybackQueue::PostEndPlaying() {
    Push({EventRecord{}, true});
}

void PlaybackQueue::Push(const Item& item) {
    bool wasEmpty;
    {
        std::lock_guard lock(mutex_);
        wasEmpty = pending_.empty();
        pending_.push_back(item);
    }
    if (wasEmpty && wake_) {
        wake_();
    }
}

void PlaybackQueue::DiscardPending() {
    std::lock_guard lock(mutex_);
    pending_.clear();
    ++discards_;
}

size_t PlaybackQueue::PendingCount() const {
    std::lock_guard lock(mutex_);
    return pending_.size();
}

bool PlaybackQueue::TakePending() {
    draining_.clear();
    std::lock_guard lock(mutex_);
    // Swapping keeps both reserves, so neither side allocates in the usual case.
    pending_.swap(draining_);
    return !draining_.empty();
}

void PlaybackQueue::Drain(const std::function<void(const EventRecord&)>& onEvent,
                          const std::function<void()>& onEndPlaying) {
    if (drainingActive_) {
        return;
    }
    struct ActiveFlag {
        bool& flag;
        explicit ActiveFlag(bool& f) : flag(f) { flag = true; }
        ~ActiveFlag() { flag = false; }
    } active(drainingActive_);
    while (TakePending()) {
        for (const Item& item : draining_) {
            uint64_t discardsBefore;
            {
                std::lock_guard lock(mutex_);
                discardsBefore = discards_;
            }
            if (item.endPlaying) {
                onEndPlaying();
            } else {
                onEvent(item.event);
            }
            std::lock_guard lock(mutex_);
            if (discards_ != discardsBefore) {
                break;
            }
        }
    }
    draining_.clear();
}

}  // namespace plinkora
