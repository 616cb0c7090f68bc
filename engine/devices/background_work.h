#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

namespace plinkora {

// A sound server that is frozen (stopped, hung, on a stalled remote session) takes every call to
// it with it, opening and closing included. Such calls run on threads of their own, so that the
// window thread never waits on a server.

// How long an opening may hold the window thread: a sound server that answers at all answers
// well within this. A slower one is waited for in the background, up to the limit; past it, the
// server counts as lost.
inline constexpr std::chrono::milliseconds kAnswerWait{25};
inline constexpr std::chrono::milliseconds kAnswerLimit{2000};

// Runs work on a thread of its own that nobody joins; where no thread can be had, at once.
void RunInBackground(std::function<void()> work);

// Waits at most limit for all the background work to end; false when some is still stuck. A
// program that quits then ends without waiting for it.
bool WaitForBackgroundWork(std::chrono::milliseconds limit);

// Destroys what may wait on a server while it closes, off the calling thread.
template <typename T>
void CloseInBackground(std::unique_ptr<T> closing) {
    if (closing) {
        RunInBackground(
            [closing = std::shared_ptr<T>(std::move(closing))]() mutable { closing.reset(); });
    }
}

// The result of an opening that runs in the background. Its owner waits for it a short while;
// an opening that does not answer in time is given up, and what it opens later is closed again
// in the background. Any thread.
template <typename T>
class Opening : public std::enable_shared_from_this<Opening<T>> {
  public:
    using Make = std::function<std::unique_ptr<T>()>;

    // Starts make on a thread of its own; settled, if given, is called on that thread once it
    // has ended, unless the opening was given up.
    static std::shared_ptr<Opening> Start(Make make, std::function<void()> settled = {}) {
        auto opening = std::make_shared<Opening>();
        RunInBackground([opening, make = std::move(make), settled = std::move(settled)] {
            std::unique_ptr<T> result = make();
            std::unique_lock lock(opening->mutex_);
            opening->ended_ = true;
            if (opening->givenUp_) {
                lock.unlock();
                result.reset();  // may wait on the server: still on this thread
                return;
            }
            opening->result_ = std::move(result);
            opening->failed_ = !opening->result_;
            lock.unlock();
            opening->changed_.notify_all();
            if (settled) {
                settled();
            }
        });
        return opening;
    }

    // Once limit has passed without an end, the opening is overdue and overdue is called, on a
    // thread of its own.
    void WatchFor(std::chrono::milliseconds limit, std::function<void()> overdue) {
        RunInBackground([self = this->shared_from_this(), limit, overdue = std::move(overdue)] {
            if (!self->WaitFor(limit)) {
                self->overdue_.store(true);
                if (overdue) {
                    overdue();
                }
            }
        });
    }
    bool Overdue() const { return overdue_.load(); }

    // True once the opening has ended, within limit.
    bool WaitFor(std::chrono::milliseconds limit) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, limit, [this] { return ended_; });
    }
    bool Ended() const {
        std::lock_guard lock(mutex_);
        return ended_;
    }
    // Ended with nothing opened.
    bool Failed() const {
        std::lock_guard lock(mutex_);
        return failed_;
    }
    // What was opened, once; null before it has ended, after a failure, or when taken.
    std::unique_ptr<T> Take() {
        std::lock_guard lock(mutex_);
        return std::move(result_);
    }
    // Nobody takes the result: what is opened from here on is closed in the background.
    void GiveUp() {
        std::unique_lock lock(mutex_);
        givenUp_ = true;
        std::unique_ptr<T> result = std::move(result_);
        lock.unlock();
        CloseInBackground(std::move(result));
    }

  private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::unique_ptr<T> result_;
    bool ended_ = false;
    bool failed_ = false;
    bool givenUp_ = false;
    std::atomic<bool> overdue_{false};
};

}  // namespace plinkora
