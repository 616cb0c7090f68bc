// How close to their deadlines the scheduler delivers events: 2,000 events with gaps of 0 to
// 50 ms into a sink that only notes the time. Goal: 99th percentile under 1 ms, drift under 1 ms.
//   scheduler_bench [EVENTS]
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <random>
#include <vector>

#include "recording/playback.h"
#include "recording/scheduler.h"

namespace {

using Clock = std::chrono::steady_clock;

class TimingSink final : public plinkora::PlaybackSink {
  public:
    explicit TimingSink(size_t count) { times_.reserve(count); }
    void PostPlaybackEvent(const plinkora::EventRecord&) override {
        times_.push_back(Clock::now());  // reserved: no allocation on the scheduler thread
    }
    void PostEndPlaying() override {
        std::lock_guard lock(mutex_);
        ended_ = true;
        done_.notify_all();
    }
    void WaitForEnd() {
        std::unique_lock lock(mutex_);
        done_.wait(lock, [&] { return ended_; });
    }
    const std::vector<Clock::time_point>& Times() const { return times_; }

  private:
    std::vector<Clock::time_point> times_;
    std::mutex mutex_;
    std::condition_variable done_;
    bool ended_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    const size_t count = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 2000;
    std::mt19937 random(2024);
    auto events = std::make_shared<plinkora::EventList>();
    for (size_t i = 0; i < count; ++i) {
        events->push_back({static_cast<uint32_t>(random() % 51), 256, 30u << 16, 0});
    }
    std::printf("scheduler: %zu events, gaps 0..50 ms (at least 5), %.1f s of playback\n", count,
                plinkora::PlaybackDurationMs(*events) / 1000.0);

    TimingSink sink(count);
    plinkora::PlaybackScheduler scheduler(sink);
    // Measured from before the start, so the thread's own start-up counts as lateness too.
    const Clock::time_point start = Clock::now();
    if (!scheduler.StartPlayback(events, false)) {
        std::fprintf(stderr, "scheduler: no thread to play on\n");
        return 1;
    }
    sink.WaitForEnd();
    scheduler.StopPlayback();

    std::vector<double> lateMs;
    Clock::time_point due = start;
    for (size_t i = 0; i < count; ++i) {
        due += std::chrono::milliseconds(plinkora::PlaybackGapMs((*events)[i]));
        lateMs.push_back(std::chrono::duration<double, std::milli>(sink.Times()[i] - due).count());
    }
    const double drift = lateMs.back();
    double sum = 0;
    for (double l : lateMs) {
        sum += l;
    }
    std::vector<double> sorted = lateMs;
    std::sort(sorted.begin(), sorted.end());
    const double p99 = sorted[std::min(sorted.size() - 1, sorted.size() * 99 / 100)];
    std::printf("lateness ms: mean %.3f  p99 %.3f  max %.3f  min %.3f\n", sum / count, p99,
                sorted.back(), sorted.front());
    std::printf("drift of the last event: %.3f ms\n", drift);
    std::printf("goal (p99 < 1 ms, drift < 1 ms): %s\n", p99 < 1 && drift < 1 ? "met" : "MISSED");
    return 0;
}
