#include <gtest/gtest.h>

#include "engine/devices/silence_gate.h"

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

// A soft organ note may render below hearing for as long as it is held; a playback's rest must
// not cost its next note a new stream.
TEST(SilenceGate, NeverSleepsWhileANoteIsHeldOrAPlaybackKeepsItAwakeAndSleepsAfterwards) {
    SilenceGate gate(200);
    gate.SetHeldNotes(1);
    for (int block = 0; block < 10; ++block) {
        EXPECT_FALSE(Block(gate, kQuiet));
    }
    gate.SetHeldNotes(0);
    gate.SetKeptAwake(true);
    EXPECT_FALSE(Block(gate, kQuiet));
    EXPECT_FALSE(Block(gate, kQuiet));
    EXPECT_FALSE(Block(gate, kQuiet));
    gate.SetKeptAwake(false);
    EXPECT_FALSE(Block(gate, kQuiet));  // the quiet is counted from the release
    EXPECT_TRUE(Block(gate, kQuiet));
}

}  // namespace
}  // namespace plinkora::testing
