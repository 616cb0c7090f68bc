#include "recording/recording.h"

#include "engine/key_table.h"
#include "engine_fixture.h"

namespace plinkora::testing {
namespace {

// Starts just before its 32-bit wrap, so every recording's first delay crosses it.
struct FakeClock final : MillisecondClock {
    uint32_t now = 0xFFFFFF80u;
    uint32_t NowMs() const override { return now; }
};

class RecordingTest : public EngineTest {
  protected:
    RecordingTest() { p.recorder = &recording; }
    FakeClock clock;
    Recording recording{clock};
};

TEST_F(RecordingTest, KeysAreRecordedWithDelaysShiftsAndTheirParameter) {
    Press(kKeyA);  // not recording yet
    Release(kKeyA);
    BeginRecording(recording);
    Release(kKeyS);  // a release never starts a list
    EXPECT_FALSE(recording.documentModified);
    clock.now += 250;
    modifiers.shift = true;
    Press(kKeyA);
    EXPECT_TRUE(recording.documentModified);  // from the first press on
    Press(kKeyA, true);                       // auto-repeat: the held key keeps its one record
    Press(kKeyS);                             // same millisecond, same group
    Press(0);                                 // a silent key
    Press(60);                                // beyond the table
    clock.now += 40;
    Release(kKeyA);
    Release(kKeyS);
    modifiers.shift = false;
    clock.now += 7;
    Press(kKeyH);
    CloseMidiDevice(p);
    Press(kKeyK);
    const EventList expected{
        {250, kKeyDown, KeyParam(kKeyA), 1}, {0, kKeyDown, KeyParam(kKeyS), 1},
        {40, kKeyUp, KeyParam(kKeyA), 1},    {0, kKeyUp, KeyParam(kKeyS), 1},
        {7, kKeyDown, KeyParam(kKeyH), 0},
    };
    EXPECT_EQ(recording.recordingList, expected);
}

TEST_F(RecordingTest, EndingMakesAnIndependentPlaybackCopyAndAnEmptyTakeIsNoChange) {
    BeginRecording(recording);
    Press(kKeyA);
    Release(kKeyA);
    EndRecording(recording);
    EXPECT_FALSE(recording.isRecording);
    EXPECT_EQ(*recording.playbackList, recording.recordingList);

    BeginRecording(recording);
    EXPECT_EQ(recording.RecordedCount(), 0u);
    EXPECT_EQ(recording.PlaybackCount(), 2u);  // the last take stays playable while recording
    Release(kKeyA);
    EndRecording(recording);
    EXPECT_EQ(recording.PlaybackCount(), 0u);
    EXPECT_FALSE(recording.documentModified);
}

}  // namespace
}  // namespace plinkora::testing
