#include <gtest/gtest.h>

#include "engine/silence_gate.h"

namespace plinkora::testing {
namespace {

constexpr float kLoud = 0.1f, kQuiet = SilenceGate::kInaudible / 2;

// Renders one block of the given loudness; true when the gate puts the output to sleep.
bool Block(SilenceGate& gate, float peak, int frames = 100) {
    return gate.AfterRender(gate.BeforeRender(), peak, frames);
}

TEST(SilenceGate, SleepsOnlyAfterEnoughUnbrokenQuiet) {
    SilenceGate gate(300);
    EXPECT_FALSE(Block(gate, kQuiet));
    EXPECT_FALSE(Block(gate, kQuiet));
    EXPECT_FALSE(Block(gate, kLoud));  // a sound starts the count again
    EXPECT_FALSE(Block(gate, kQuiet));
    EXPECT_FALSE(Block(gate, kQuiet));
    EXPECT_FALSE(gate.Asleep());
    EXPECT_TRUE(Block(gate, kQuiet));
    EXPECT_TRUE(gate.Asleep());
}

TEST(SilenceGate, AnEventDuringTheLastQuietBlockKeepsTheOutputAwake) {
    SilenceGate gate(100);
    const uint64_t before = gate.BeforeRender();
    EXPECT_FALSE(gate.Event());  // not asleep yet: nobody is woken
    EXPECT_FALSE(gate.AfterRender(before, kQuiet, 100));
    EXPECT_FALSE(gate.Asleep());
}

TEST(SilenceGate, AnEventWhileAsleepAsksForAWakeAndTheQuietIsCountedAfresh) {
    SilenceGate gate(200);
    Block(gate, kQuiet);
    ASSERT_TRUE(Block(gate, kQuiet));
    EXPECT_TRUE(gate.Event());
    // A note with a slow attack may render quiet at first: it is not put to sleep at once.
    EXPECT_FALSE(Block(gate, kQuiet));
    EXPECT_TRUE(Block(gate, kQuiet));
}

}  // namespace
}  // namespace plinkora::testing
