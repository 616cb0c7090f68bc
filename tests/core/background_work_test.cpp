#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "engine/devices/background_work.h"

namespace plinkora::testing {
namespace {

using namespace std::chrono_literals;

// Stands for an output whose closing waits on its server.
struct SlowToClose {
    explicit SlowToClose(std::atomic<int>& onCallersThread) : onCallersThread(onCallersThread) {}
    ~SlowToClose() {
        onCallersThread += std::this_thread::get_id() == caller;
        std::this_thread::sleep_for(1ms);
    }
    std::atomic<int>& onCallersThread;
    std::thread::id caller = std::this_thread::get_id();
};

TEST(BackgroundWork, AClosingNeverHappensOnTheCallersThread) {
    std::atomic<int> onCallersThread{0};
    for (int i = 0; i < 200; ++i) {
        CloseInBackground(std::make_unique<SlowToClose>(onCallersThread));
    }
    ASSERT_TRUE(WaitForBackgroundWork(5s));
    EXPECT_EQ(onCallersThread, 0);
}

// An opening that outlives its wait is given up; what it opens later is closed, off the
// caller's thread, and nobody gets it.
TEST(BackgroundWork, AnOpeningGivenUpClosesWhatItOpensLater) {
    std::atomic<int> onCallersThread{0};
    std::atomic<bool> release{false};
    auto opening = Opening<SlowToClose>::Start([&] {
        while (!release) {
            std::this_thread::sleep_for(1ms);
        }
        return std::make_unique<SlowToClose>(onCallersThread);
    });
    EXPECT_FALSE(opening->WaitFor(10ms));
    std::atomic<bool> overdue{false};
    opening->WatchFor(20ms, [&] { overdue = true; });
    EXPECT_FALSE(WaitForBackgroundWork(0ms));  // the opening still waits
    std::this_thread::sleep_for(100ms);
    EXPECT_TRUE(overdue);
    EXPECT_TRUE(opening->Overdue());
    opening->GiveUp();
    release = true;
    ASSERT_TRUE(WaitForBackgroundWork(5s));
    EXPECT_TRUE(opening->Ended());
    EXPECT_EQ(opening->Take(), nullptr);
}

}  // namespace
}  // namespace plinkora::testing
