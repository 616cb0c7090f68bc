#include "recording/playback.h"

#include "engine/controls.h"
#include "engine_fixture.h"
#include "recording/playback_queue.h"

namespace plinkora::testing {
namespace {

using PlaybackTest = EngineTest;
using Words = std::vector<uint32_t>;

// A played release silences what its press started, as a live one does.
TEST_F(PlaybackTest, EventsSoundWithTheSettingsOfTheMoment) {
    PlayRecordedEvent(p, {0, kKeyDown, KeyParam(kKeyA), 1});
    ChooseKeySignature(p, 1298);  // D: two semitones up
    p.channel = 3;                // Track 4
    p.force = 90;
    SetBourdon(p, true);
    PlayRecordedEvent(p, {0, kKeyUp, KeyParam(kKeyA), -1});
    PlayRecordedEvent(p, {0, 999, KeyParam(kKeyA), 0});  // anything but a release presses
    EXPECT_EQ(Sent(),
              (Words{NoteOn(0, 72), NoteOff(0, 72), NoteOn(3, 62, 90), NoteOn(15, 50, 90)}));
    ASSERT_EQ(painter.caps.size(), 3u);
    EXPECT_TRUE(painter.caps[0].key == static_cast<int>(kKeyA) && painter.caps[0].pressed &&
                painter.caps[0].shift == 1);
    EXPECT_TRUE(!painter.caps[1].pressed && painter.caps[1].shift == -1);
}

TEST_F(PlaybackTest, EventsThatCannotSoundAreSkipped) {
    PlayRecordedEvent(p, {0, kKeyDown, KeyParam(0), 0});      // a silent key
    PlayRecordedEvent(p, {0, kKeyDown, KeyParam(54), 0});     // beyond the table
    PlayRecordedEvent(p, {0, kKeyDown, KeyParam(kKeyA), 2});  // a shift no recording holds
    PlayRecordedEvent(p, {0, kKeyDown, KeyParam(kKeyA), INT32_MIN});
    CloseMidiDevice(p);
    outputs.words.clear();
    PlayRecordedEvent(p, {0, kKeyDown, KeyParam(kKeyA), 0});
    EXPECT_TRUE(Sent().empty());
    EXPECT_TRUE(painter.caps.empty());
}

TEST_F(PlaybackTest, EndPlayingSilencesEverythingAndForgetsHeldKeys) {
    PlaybackQueue queue;
    PlaybackScheduler scheduler(queue);
    ASSERT_TRUE(
        scheduler.StartPlayback(std::make_shared<EventList>(EventList{{60000, 256, 0, 0}}), true));
    Press(kKeyA);
    Sent();
    const int repaints = view.repaints;
    EndPlaying(p, scheduler);
    EXPECT_FALSE(scheduler.IsPlaying());
    EXPECT_EQ(p.heldPlain, 0);
    EXPECT_EQ(Sent(), AllNotesOff());
    EXPECT_EQ(view.repaints, repaints + 1);
}

}  // namespace
}  // namespace plinkora::testing
