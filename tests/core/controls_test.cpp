#include "engine/controls.h"
#include "engine_fixture.h"

namespace plinkora::testing {
namespace {

using Controls = EngineTest;

// Lines and pages, and the bend of a dragged Freq thumb, are stepped through the window's bars.
TEST_F(Controls, TheForceThumbSpansOneTo127AndOtherCodesMoveNothing) {
    HandleForceScroll(p, kThumbTrack, kForceBarMin);  // the very top
    EXPECT_EQ(p.force, 127);
    HandleForceScroll(p, kThumbPosition, kForceBarMax);  // the very bottom
    EXPECT_EQ(p.force, 1);
    EXPECT_EQ(HandleForceScroll(p, kEndScroll, 0), std::nullopt);
    EXPECT_TRUE(Sent().empty());
}

TEST_F(Controls, ValuesBeyondTheRealChoicesChooseNothing) {
    ChooseTrack(p, 15);  // the bourdon's channel
    ChooseTrack(p, -1);
    ChooseInstrument(p, 128);
    ChooseKeySignature(p, 1306);
    EXPECT_EQ(p.channel, 0);
    EXPECT_EQ(p.program, 0);
    EXPECT_EQ(p.keySignature, kDefaultKeySignature);
    EXPECT_TRUE(Sent().empty());
}

TEST_F(Controls, ChoicesWhileClosedSendNothing) {
    CloseMidiDevice(p);
    Sent();
    ChooseInstrument(p, 5);
    ChooseTrack(p, 2);
    ChooseKeySignature(p, 1298);
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(p.program, 5);
    EXPECT_EQ(p.keySignature, 1298);
}

}  // namespace
}  // namespace plinkora::testing
