#include "window/window_texts.h"

#include <gtest/gtest.h>

#include "engine/performance.h"
#include "tests/support/capturing_midi.h"

namespace plinkora::testing {
namespace {

TEST(WindowTexts, TheStatusLineNamesTheStateTheChosenOutputAndTheTrack) {
    CapturingMidiOutputs outputs{2, true};
    Performance p{outputs};
    EXPECT_EQ(DeviceStateText(p), "Close");
    EXPECT_EQ(DeviceNameText(p), "Mapper");
    p.midiOut = outputs.Open(kMidiMapper);
    EXPECT_EQ(DeviceStateText(p), "Open");
    p.deviceId = 1;
    EXPECT_EQ(DeviceNameText(p), "Capture 1");
    // An output the system no longer lists, or one it never had, has no name to show.
    for (const int32_t gone : {2, -2, 255}) {
        p.deviceId = gone;
        EXPECT_EQ(DeviceNameText(p), "") << gone;
    }
    CapturingMidiOutputs noMapper{1, false};
    EXPECT_EQ(DeviceNameText(Performance{noMapper}), "");

    EXPECT_EQ(TrackText(p), "Track 1");
    p.channel = 14;
    EXPECT_EQ(TrackText(p), "Track 15");
}

TEST(WindowTexts, TheCaptionJoinsTheInstrumentAndTheKeySignature) {
    CapturingMidiOutputs outputs;
    Performance p{outputs};
    p.keySignature = 1314;
    EXPECT_EQ(InstrumentCaption(p), "Acoustic Grand Piano    1=bA");
    p.keySignature = 1328;
    p.program = 40;
    EXPECT_EQ(InstrumentCaption(p), "Violin    6=#f");
    p.keySignature = 0;
    EXPECT_EQ(InstrumentCaption(p), "");
}

}  // namespace
}  // namespace plinkora::testing
