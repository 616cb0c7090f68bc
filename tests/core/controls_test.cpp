#include "engine/controls.h"
#include "engine_fixture.h"

namespace plinkora::testing {
namespace {

using Controls = EngineTest;
using Words = std::vector<uint32_t>;

TEST_F(Controls, ForceMovesByLinesAndPagesWithinOneTo127) {
    EXPECT_EQ(HandleForceScroll(p, kLineUp, 0), ForceBarPosition(127));
    EXPECT_EQ(p.force, 127);
    p.force = 125;
    HandleForceScroll(p, kPageUp, 0);
    EXPECT_EQ(p.force, 127);
    p.force = 1;
    HandleForceScroll(p, kLineDown, 0);
    EXPECT_EQ(p.force, 1);
    HandleForceScroll(p, kThumbTrack, kForceBarMin);  // the very top
    EXPECT_EQ(p.force, 127);
    HandleForceScroll(p, kThumbPosition, kForceBarMax);  // the very bottom
    EXPECT_EQ(p.force, 1);
    EXPECT_EQ(HandleForceScroll(p, kEndScroll, 0), std::nullopt);
    EXPECT_TRUE(Sent().empty());
}

TEST_F(Controls, FreqBendsWhileDraggedAndSpringsBackOnRelease) {
    EXPECT_EQ(HandleFreqScroll(p, kThumbTrack, 1), 1);
    EXPECT_EQ(HandleFreqScroll(p, kThumbPosition, 1), kBendRestPosition);
    EXPECT_EQ(HandleFreqScroll(p, kLineUp, 0), std::nullopt);
    EXPECT_EQ(HandleFreqScroll(p, kPageDown, 0), std::nullopt);
    EXPECT_EQ(Sent(), (Words{ShortMessage(kPitchBend, 0, 0x7E, 0x7F),
                             ShortMessage(kPitchBend, 0, 0x7F, 0x3F)}));
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
    EXPECT_EQ(HandleFreqScroll(p, kThumbTrack, 100), 100);  // the bar moves all the same
    EXPECT_EQ(HandleFreqScroll(p, kThumbPosition, 100), kBendRestPosition);
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(p.program, 5);
    EXPECT_EQ(p.keySignature, 1298);
}

}  // namespace
}  // namespace plinkora::testing
