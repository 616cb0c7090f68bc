#include "recording/scheduler.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

#include "recording/playback.h"
#include "recording/playback_queue.h"

namespace plinkora {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Polls until done() holds; false after a patience no loaded machine or sanitizer needs.
bool Eventually(const std::function<bool()>& done) {
    const auto giveUp = Clock::now() + std::chrono::seconds(20);
    while (!done() && Clock::now() < giveUp) {
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return done();
}

// Keeps what the scheduler thread posts, with the moment of each post; the hooks run first.
class CapturingSink final : public PlaybackSink {
  public:
    struct Post {
        EventRecord event;
        Clock::time_point at;
    };
    void PostPlaybackEvent(const EventRecord& event) override {
        onPost(event);
        std::lock_guard lock(mutex_);
        posts_.push_back({event, Clock::now()});
    }
    void PostEndPlaying() override {
        onEnd();
        std::lock_guard lock(mutex_);
        ends_.push_back(posts_.size());
    }
    std::vector<Post> Posts() {
        std::lock_guard lock(mutex_);
        return posts_;
    }
    // For each End playing, how many events were posted before it.
    std::vector<size_t> Ends() {
        std::lock_guard lock(mutex_);
        return ends_;
    }
    std::function<void(const EventRecord&)> onPost = [](const EventRecord&) {};
    std::function<void()> onEnd = [] {};

  private:
    std::mutex mutex_;
    std::vector<Post> posts_;
    std::vector<size_t> ends_;
};

// Event i presses (even i) or releases key i.
SharedEventList List(std::initializer_list<uint32_t> delays) {
    auto list = std::make_shared<EventList>();
    for (uint32_t delay : delays) {
        const auto index = static_cast<uint32_t>(list->size());
        list->push_back({delay, index % 2 == 0 ? 256u : 257u, index << 16, 0});
    }
    return list;
}

// A clock that never sleeps: each wait notes its deadline and moves the time there at once,
// the first one lateMs late, as a thread held up by the machine would wake.
class SteppingClock final : public SchedulerClock {
  public:
    explicit SteppingClock(int lateMs) : lateMs_(lateMs) {}
    TimePoint Now() const override {
        std::lock_guard lock(mutex_);
        return now_;
    }
    bool WaitUntil(std::unique_lock<std::mutex>&, std::condition_variable&, TimePoint due,
                   const bool& stopped) const noexcept override {
        std::lock_guard lock(mutex_);
        if (stopped) {
            return false;
        }
        now_ = std::max(now_, due) + milliseconds(deadlinesMs_.empty() ? lateMs_ : 0);
        deadlinesMs_.push_back(due.time_since_epoch() / milliseconds(1));
        return true;
    }
    std::vector<int64_t> DeadlinesMs() const {
        std::lock_guard lock(mutex_);
        return deadlinesMs_;
    }

  private:
    const int lateMs_;
    mutable std::mutex mutex_;
    mutable TimePoint now_{};
    mutable std::vector<int64_t> deadlinesMs_;
};

// Deadlines add up from one start, gaps of at least 5 ms; a circle pauses for the first delay
// between rounds, and a post may stop it; the end comes once, after the last event. A wake-up
// 1 s late delays nothing after it, where timers chained from each delivery would.
TEST(Scheduler, EachEventIsDueAtTheStartPlusTheSumOfTheGaps) {
    const struct {
        std::initializer_list<uint32_t> delays;
        bool loop;
        int lateMs;
        std::vector<int64_t> dueMs;
    } cases[] = {
        {{30, 0, 2, 20, 0}, false, 0, {30, 35, 40, 60, 65}},
        {{40, 0}, true, 0, {40, 45, 85, 90, 130}},
        {{5, 300, 300, 300, 300}, false, 1000, {5, 305, 605, 905, 1205}},
    };
    for (const auto& c : cases) {
        CapturingSink sink;
        SteppingClock clock(c.lateMs);
        PlaybackScheduler scheduler(sink, clock);
        sink.onPost = [&](const EventRecord&) {
            if (c.loop && sink.Posts().size() + 1 == c.dueMs.size()) {
                scheduler.StopPlayback();  // from the scheduler thread: no deadlock
            }
        };
        sink.onEnd = [&] { scheduler.StopPlayback(); };
        EXPECT_FALSE(scheduler.StartPlayback(std::make_shared<EventList>(), c.loop));
        const SharedEventList list = List(c.delays);
        ASSERT_TRUE(scheduler.StartPlayback(list, c.loop));
        ASSERT_TRUE(Eventually([&] { return !scheduler.IsPlaying(); }));
        scheduler.StopPlayback();
        EXPECT_EQ(clock.DeadlinesMs(), c.dueMs);
        const auto posts = sink.Posts();
        ASSERT_EQ(posts.size(), c.dueMs.size());  // in a circle, the post that stopped it was last
        for (size_t i = 0; i < posts.size(); ++i) {
            EXPECT_EQ(posts[i].event, (*list)[i % list->size()]);
        }
        EXPECT_EQ(sink.Ends(), c.loop ? std::vector<size_t>{} : std::vector<size_t>{list->size()});
    }
}

// On the real clock and thread: a post never comes before its absolute deadline.
TEST(Scheduler, RealTimePostsAreNeverEarly) {
    CapturingSink sink;
    PlaybackScheduler scheduler(sink);
    const auto start = Clock::now();
    ASSERT_TRUE(scheduler.StartPlayback(List({20, 0, 10}), false));
    ASSERT_TRUE(Eventually([&] { return !sink.Ends().empty(); }));
    const auto posts = sink.Posts();
    ASSERT_EQ(posts.size(), 3u);
    const int dueMs[] = {20, 25, 35};
    for (size_t i = 0; i < posts.size(); ++i) {
        EXPECT_GE(posts[i].at - start, milliseconds(dueMs[i])) << "event " << i;
    }
}

TEST(Scheduler, NothingIsPostedOnceStopOrARestartReturnsEvenRacingTheLastEvent) {
    std::minstd_rand random(7);
    CapturingSink sink;
    PlaybackScheduler scheduler(sink);
    for (int round = 0; round < 60; ++round) {
        ASSERT_TRUE(scheduler.StartPlayback(List({0, 0, 1}), round % 3 == 0));
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 20000));
        if (round % 2 == 0) {
            scheduler.StopPlayback();
            EXPECT_FALSE(scheduler.IsPlaying());
        } else {  // starting again ends the playback before
            ASSERT_TRUE(scheduler.StartPlayback(List({60000}), false));
        }
        const size_t posts = sink.Posts().size();
        const size_t ends = sink.Ends().size();
        std::this_thread::sleep_for(milliseconds(random() % 3));
        EXPECT_EQ(sink.Posts().size(), posts);
        EXPECT_EQ(sink.Ends().size(), ends);
    }
}

TEST(Scheduler, DestroyingEverythingDuringCirclePlayIsClean) {
    for (int round = 0; round < 20; ++round) {
        auto sink = std::make_unique<CapturingSink>();
        auto scheduler = std::make_unique<PlaybackScheduler>(*sink);
        // The caller's list is gone at once; the scheduler keeps its own reference.
        ASSERT_TRUE(scheduler->StartPlayback(List({0, 0, 0}), true));
        std::this_thread::sleep_for(std::chrono::microseconds(round * 700));
        scheduler.reset();
        sink.reset();
    }
}

TEST(PlaybackQueueTest, EndPlayingComesAfterTheLastEventAndCanStopTheScheduler) {
    std::atomic<int> wakes{0};
    PlaybackQueue queue([&] { ++wakes; });
    PlaybackScheduler scheduler(queue);
    const SharedEventList list = List({0, 3, 0, 8});
    for (int round = 0; round < 10; ++round) {
        EventList events;
        int ends = 0;
        ASSERT_TRUE(scheduler.StartPlayback(list, false));
        // The window thread drains when woken; End playing stops the scheduler from there.
        ASSERT_TRUE(Eventually([&] {
            if (wakes.exchange(0) > 0) {
                queue.Drain([&](const EventRecord& e) { events.push_back(e); },
                            [&] {
                                ++ends;
                                scheduler.StopPlayback();
                            });
            }
            return ends > 0;
        }));
        EXPECT_EQ(events, *list);
        EXPECT_EQ(ends, 1);
    }
}

TEST(PlaybackQueueTest, StoppingDiscardsWhatIsQueuedEvenMidBatch) {
    PlaybackQueue queue;
    PlaybackScheduler scheduler(queue);
    int delivered = 0;
    ASSERT_TRUE(scheduler.StartPlayback(List({0, 0, 0}), true));
    ASSERT_TRUE(Eventually([&] { return queue.PendingCount() >= 3; }));
    scheduler.StopPlayback();
    queue.Drain([&](const EventRecord&) { ++delivered; }, [&] { ++delivered; });
    EXPECT_EQ(delivered, 0);

    // End playing chosen while events were queued: the rest of the batch is dropped.
    for (uint32_t i = 0; i < 3; ++i) {
        queue.PostPlaybackEvent({0, 256, i << 16, 0});
    }
    std::vector<uint32_t> seen;
    queue.Drain(
        [&](const EventRecord& e) {
            seen.push_back(ScanCodeOf(e.key_param));
            if (seen.size() == 2) {
                scheduler.StopPlayback();
            }
            queue.Drain([](const EventRecord&) { FAIL() << "nested drain delivered"; },
                        [] { FAIL() << "nested drain delivered"; });
        },
        [] {});
    EXPECT_EQ(seen, (std::vector<uint32_t>{0, 1}));
}

}  // namespace
}  // namespace plinkora
