#include "engine/controls.h"
#include "engine_fixture.h"

namespace plinkora::testing {
namespace {

using KeyHandling = EngineTest;
using Words = std::vector<uint32_t>;

TEST_F(KeyHandling, ShiftOfTheFirstKeyHoldsForTheWholeGroup) {
    modifiers.shift = true;
    Press(kKeyA);
    modifiers.shift = false;
    Press(kKeyS);
    Release(kKeyA);
    Release(kKeyS);
    Press(kKeyS);
    EXPECT_EQ(Sent(),
              (Words{NoteOn(0, 72), NoteOn(0, 74), NoteOff(0, 72), NoteOff(0, 74), NoteOn(0, 62)}));
}

TEST_F(KeyHandling, CtrlLowersAndShiftWinsOverCtrl) {
    modifiers.ctrl = true;
    Press(kKeyA);
    Release(kKeyA);
    modifiers.shift = true;
    Press(kKeyA);
    EXPECT_EQ(Sent(), (Words{NoteOn(0, 48), NoteOff(0, 48), NoteOn(0, 72)}));
    EXPECT_EQ(painter.caps.back().shift, 1);
}

TEST_F(KeyHandling, AutoRepeatSendsNothingMore) {
    Press(kKeyA);
    Press(kKeyA, true);
    Press(kKeyA, true);
    EXPECT_EQ(Sent(), Words{NoteOn(0, 60)});
    EXPECT_EQ(p.heldPlain, 1);
}

TEST_F(KeyHandling, EscSilencesAllSixteenChannelsAndForgetsTheGroup) {
    modifiers.shift = true;
    Press(kKeyA);
    Press(kKeyS);
    Sent();
    PressEscape(p);
    EXPECT_EQ(Sent(), AllNotesOff());
    EXPECT_EQ(p.heldShift, 0);
    // A repeat of a still-held key starts a group from the modifiers of now, silently, so its
    // release balances the counter again...
    modifiers.shift = false;
    Press(kKeyA, true);
    EXPECT_TRUE(Sent().empty());
    Release(kKeyA);
    // ...and a release counted nothing since Esc leaves no stale shift behind.
    Release(kKeyS);
    EXPECT_EQ(p.heldPlain + p.heldShift + p.octaveShift, 0);
    Press(kKeyS);
    EXPECT_EQ(Sent(), Words{NoteOn(0, 62)});
}

TEST_F(KeyHandling, NothingAtAllWhileTheDeviceIsClosed) {
    CloseMidiDevice(p);
    Sent();
    painter.caps.clear();
    Press(kKeyA);
    Release(kKeyA);
    PressEscape(p);
    EXPECT_TRUE(Sent().empty());
    EXPECT_TRUE(painter.caps.empty());
    EXPECT_EQ(p.heldPlain, 0);
}

TEST_F(KeyHandling, SilentKeysAndCodesBeyondTheTablePlayNothing) {
    for (uint32_t code : {1u, 15u, 42u, 54u, 200u}) {
        Press(code);
        Release(code);
    }
    EXPECT_TRUE(Sent().empty());
    EXPECT_TRUE(painter.caps.empty());
}

TEST_F(KeyHandling, BourdonDoublesAnOctaveLowerOnChannelFifteen) {
    SetBourdon(p, true);
    Press(kKeyA);
    Release(kKeyA);
    modifiers.shift = true;
    Press(kKeyA);
    EXPECT_EQ(Sent(), (Words{NoteOn(0, 60), NoteOn(15, 48), NoteOff(0, 60), NoteOff(15, 48),
                             NoteOn(0, 72), NoteOn(15, 60)}));
}

// Computing the note off from the settings of the release would miss the sounding note
// whenever one changed meanwhile, and leave it sounding until Esc.
TEST_F(KeyHandling, AReleaseSilencesWhatItsPressStartedWhateverChangedMeanwhile) {
    Press(kKeyA);
    ChooseKeySignature(p, 1298);
    SetBourdon(p, true);
    Release(kKeyA);
    EXPECT_EQ(Sent(), (Words{NoteOn(0, 60), NoteOff(0, 60)}));

    Press(kKeyA);
    EXPECT_EQ(Sent(), (Words{NoteOn(0, 62), NoteOn(15, 50)}));
    SetBourdon(p, false);
    ChooseTrack(p, 2);
    Sent();
    Release(kKeyA);
    Release(kKeyA);  // a second release has nothing left to silence
    EXPECT_EQ(Sent(), (Words{NoteOff(0, 62), NoteOff(15, 50)}));
}

TEST_F(KeyHandling, ClosingTheDeviceWithKeysDownLeavesNoGroupBehind) {
    modifiers.shift = true;
    Press(kKeyA);
    CloseMidiDevice(p);
    Release(kKeyA);  // ignored while closed
    modifiers.shift = false;
    OpenMidiDevice(p);
    Sent();
    Press(kKeyS);
    EXPECT_EQ(Sent(), Words{NoteOn(0, 62)});
}

TEST_F(KeyHandling, UnknownKeySignatureFromADocumentSoundsNothing) {
    p.keySignature = 1306;
    Press(kKeyA);
    Release(kKeyA);
    EXPECT_TRUE(Sent().empty());
}

}  // namespace
}  // namespace plinkora::testing
