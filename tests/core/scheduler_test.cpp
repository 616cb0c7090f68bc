#include "recording/scheduler.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

#include "engine/key_table.h"
#include "recording/playback.h"
#include "recording/playback_queue.h"

namespace plinkora {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Generous: a loaded machine (or a sanitizer) may be slow, but never this slow.
constexpr auto kPatience = std::chrono::seconds(20);

// Keeps what the scheduler thread posts, with the moment of each post.
class CapturingSink final : public PlaybackSink {
  public:
    struct Post {
        EventRecord event;
        Clock::time_point at;
    };

    void PostPlaybackEvent(const EventRecord& event) override {
        if (onPost) {
            onPost(event);
        }
        std::lock_guard lock(mutex_);
        posts_.push_back({event, Clock::now()});
        changed_.notify_all();
    }
    void PostEndPlaying() override {
        if (onEnd) {
            onEnd();
        }
        std::lock_guard lock(mutex_);
        ++ends_;
        endPostCount_ = posts_.size();
        changed_.notify_all();
    }

    bool WaitForPosts(size_t count) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, kPatience, [&] { return posts_.size() >= count; });
    }
    bool WaitForEnd() {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, kPatience, [&] { return ends_ > 0; });
    }
    std::vector<Post> Posts() const {
        std::lock_guard lock(mutex_);
        return posts_;
    }
    int Ends() const {
        std::lock_guard lock(mutex_);
        return ends_;
    }
    size_t PostsBeforeEnd() const {
        std::lock_guard lock(mutex_);
        return endPostCount_;
    }

    // Run on the scheduler thread inside the posts.
    std::function<void(const EventRecord&)> onPost;
    std::function<void()> onEnd;

  private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Post> posts_;
    int ends_ = 0;
    size_t endPostCount_ = 0;
};

SharedEventList List(std::initializer_list<uint32_t> delays) {
    auto list = std::make_shared<EventList>();
    uint32_t index = 0;
    for (uint32_t delay : delays) {
        list->push_back({delay, index % 2 == 0 ? 256u : 257u, index << 16, 0});
        ++index;
    }
    return list;
}

TEST(Scheduler, PlaysInOrderNeverEarlyAndEndsOnce) {
    CapturingSink sink;
    PlaybackScheduler scheduler(sink);
    const SharedEventList list = List({30, 0, 2, 20, 0});
    const auto start = Clock::now();
    ASSERT_TRUE(scheduler.StartPlayback(list, false));
    ASSERT_TRUE(sink.WaitForEnd());
    scheduler.StopPlayback();

    const auto posts = sink.Posts();
    ASSERT_EQ(posts.size(), list->size());
    EXPECT_EQ(sink.Ends(), 1);
    EXPECT_EQ(sink.PostsBeforeEnd(), list->size());
    EXPECT_FALSE(scheduler.IsPlaying());
    // Each event is due the sum of the gaps so far, a gap being at least 5 ms.
    const uint32_t dueMs[] = {30, 35, 40, 60, 65};
    for (size_t i = 0; i < posts.size(); ++i) {
        EXPECT_EQ(posts[i].event, (*list)[i]);
        EXPECT_GE(posts[i].at - start, milliseconds(dueMs[i])) << "event " << i;
    }
}

TEST(Scheduler, CirclePlayPausesForTheFirstDelayAndNeverEnds) {
    CapturingSink sink;
    PlaybackScheduler scheduler(sink);
    const auto start = Clock::now();
    ASSERT_TRUE(scheduler.StartPlayback(List({40, 0}), true));
    ASSERT_TRUE(sink.WaitForPosts(5));
    EXPECT_TRUE(scheduler.IsPlaying());
    scheduler.StopPlayback();
    const auto posts = sink.Posts();
    EXPECT_EQ(sink.Ends(), 0);
    for (size_t i = 0; i < posts.size(); ++i) {
        EXPECT_EQ(ScanCodeOf(posts[i].event.key_param), i % 2);
    }
    // Round two begins 40 ms after round one's last event was due: 40 + 5 + 40.
    EXPECT_GE(posts[2].at - start, milliseconds(85));
    EXPECT_GE(posts[4].at - start, milliseconds(130));
}

TEST(Scheduler, ALateWakeUpDoesNotDelayTheEventsAfterIt) {
    CapturingSink sink;
    PlaybackScheduler scheduler(sink);
    Clock::time_point resumed;
    sink.onPost = [&](const EventRecord& e) {
        if (e.key_param == 0) {
            std::this_thread::sleep_for(milliseconds(1000));  // the thread is held up
            resumed = Clock::now();
        }
    };
    const auto start = Clock::now();
    ASSERT_TRUE(scheduler.StartPlayback(List({5, 300, 300, 300, 300}), false));
    ASSERT_TRUE(sink.WaitForEnd());
    scheduler.StopPlayback();
    const auto posts = sink.Posts();
    ASSERT_EQ(posts.size(), 5u);
    // Events 1..3 fell due during the hold-up and follow at once; timers chained from each
    // delivery would have put event 3 at least 900 ms after it.
    EXPECT_LT(posts[3].at - resumed, milliseconds(600));
    EXPECT_GE(posts[4].at - start, milliseconds(1205));
}

TEST(Scheduler, NothingIsPostedOnceStopReturns) {
    std::minstd_rand random(7);
    CapturingSink sink;
    PlaybackScheduler scheduler(sink);
    for (int round = 0; round < 60; ++round) {
        const bool loop = round % 3 == 0;
        ASSERT_TRUE(scheduler.StartPlayback(List({0, 0, 1}), loop));
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 20000));
        scheduler.StopPlayback();
        EXPECT_FALSE(scheduler.IsPlaying());
        const size_t posts = sink.Posts().size();
        const int ends = sink.Ends();
        std::this_thread::sleep_for(milliseconds(random() % 3));
        EXPECT_EQ(sink.Posts().size(), posts);
        EXPECT_EQ(sink.Ends(), ends);
    }
}

TEST(Scheduler, StartingAgainEndsThePlaybackBefore) {
    CapturingSink sink;
    PlaybackScheduler scheduler(sink);
    ASSERT_TRUE(scheduler.StartPlayback(List({0, 0, 0, 0}), true));
    ASSERT_TRUE(sink.WaitForPosts(3));
    ASSERT_TRUE(scheduler.StartPlayback(List({10000}), false));
    const size_t posts = sink.Posts().size();
    std::this_thread::sleep_for(milliseconds(30));
    EXPECT_EQ(sink.Posts().size(), posts);
    EXPECT_FALSE(scheduler.StartPlayback(std::make_shared<EventList>(), false));
    EXPECT_FALSE(scheduler.IsPlaying());
}

TEST(Scheduler, StopFromInsideAPostOnTheSchedulerThreadDoesNotDeadlock) {
    CapturingSink sink;
    PlaybackScheduler scheduler(sink);
    sink.onEnd = [&] { scheduler.StopPlayback(); };
    sink.onPost = [&](const EventRecord& e) {
        if (e.key_param == 1u << 16) {
            scheduler.StopPlayback();
        }
    };
    ASSERT_TRUE(scheduler.StartPlayback(List({0}), false));
    ASSERT_TRUE(sink.WaitForEnd());
    ASSERT_TRUE(scheduler.StartPlayback(List({0, 0, 0, 0}), true));
    ASSERT_TRUE(sink.WaitForPosts(3));
    std::this_thread::sleep_for(milliseconds(30));
    EXPECT_EQ(sink.Posts().size(), 3u);  // the post that stopped it was the last
    scheduler.StopPlayback();
}

TEST(Scheduler, DestroyingEverythingDuringCirclePlayIsClean) {
    for (int round = 0; round < 20; ++round) {
        auto sink = std::make_unique<CapturingSink>();
        auto scheduler = std::make_unique<PlaybackScheduler>(*sink);
        {
            SharedEventList list = List({0, 0, 0});
            ASSERT_TRUE(scheduler->StartPlayback(list, true));
        }  // the caller's list is gone; the scheduler keeps its own reference
        std::this_thread::sleep_for(std::chrono::microseconds(round * 700));
        scheduler.reset();
        sink.reset();
    }
}

// The window thread's side: a queue drained by the test thread, End playing handled there.
class WindowThread {
  public:
    WindowThread() : queue([this] { Wake(); }) {}

    void Wake() {
        std::lock_guard lock(mutex);
        woken = true;
        changed.notify_all();
    }
    // Drains until handled() or the patience runs out.
    bool RunUntil(const std::function<bool()>& handled, const std::function<void()>& onEnd) {
        const auto giveUp = Clock::now() + kPatience;
        while (!handled()) {
            {
                std::unique_lock lock(mutex);
                if (!changed.wait_until(lock, giveUp, [&] { return woken; })) {
                    return false;
                }
                woken = false;
            }
            queue.Drain([&](const EventRecord& e) { events.push_back(e); },
                        [&] {
                            ++ends;
                            onEnd();
                        });
        }
        return true;
    }

    PlaybackQueue queue;
    std::vector<EventRecord> events;
    int ends = 0;
    std::mutex mutex;
    std::condition_variable changed;
    bool woken = false;
};

TEST(PlaybackQueueTest, EndPlayingDeliveredAfterTheLastEventCanStopTheScheduler) {
    WindowThread window;
    PlaybackScheduler scheduler(window.queue);
    const SharedEventList list = List({0, 3, 0, 8});
    for (int round = 0; round < 10; ++round) {
        window.events.clear();
        window.ends = 0;
        ASSERT_TRUE(scheduler.StartPlayback(list, false));
        ASSERT_TRUE(
            window.RunUntil([&] { return window.ends > 0; }, [&] { scheduler.StopPlayback(); }));
        EXPECT_EQ(window.events, *list);
        EXPECT_EQ(window.ends, 1);
    }
}

TEST(PlaybackQueueTest, StoppingDiscardsWhatWasStillQueued) {
    PlaybackQueue queue;
    PlaybackScheduler scheduler(queue);
    ASSERT_TRUE(scheduler.StartPlayback(List({0, 0, 0}), true));
    const auto giveUp = Clock::now() + kPatience;
    while (queue.PendingCount() < 3 && Clock::now() < giveUp) {
        std::this_thread::sleep_for(milliseconds(1));
    }
    scheduler.StopPlayback();
    int delivered = 0;
    queue.Drain([&](const EventRecord&) { ++delivered; }, [&] { ++delivered; });
    EXPECT_EQ(delivered, 0);
}

TEST(PlaybackQueueTest, AHandlerThatStopsPlaybackDropsTheRestOfTheBatch) {
    PlaybackQueue queue;
    PlaybackScheduler scheduler(queue);
    for (uint32_t i = 0; i < 3; ++i) {
        queue.PostPlaybackEvent({0, 256, i << 16, 0});
    }
    std::vector<uint32_t> seen;
    queue.Drain(
        [&](const EventRecord& e) {
            seen.push_back(ScanCodeOf(e.key_param));
            if (seen.size() == 2) {
                scheduler.StopPlayback();  // End playing chosen while events were queued
            }
            queue.Drain([](const EventRecord&) { FAIL() << "nested drain delivered"; },
                        [] { FAIL() << "nested drain delivered"; });
        },
        [] {});
    EXPECT_EQ(seen, (std::vector<uint32_t>{0, 1}));
}

}  // namespace
}  // namespace plinkora
