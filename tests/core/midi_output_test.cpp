#include "engine_fixture.h"

namespace plinkora::testing {
namespace {

using Words = std::vector<uint32_t>;

TEST(ShortMessages, PackStatusChannelAndDataBytes) {
    CapturingMidiOutputs outputs;
    auto device = outputs.Open(0);
    SendPitchBend(*device, 3, 0x3FFF);
    SendProgramChange(*device, 15, 40);
    SendNoteOn(*device, 1297, 0, 5, 0, 127);
    EXPECT_EQ(outputs.words, (Words{0x7F7FE3, 0x28CF, 0x7F3C90}));
}

using DeviceCommands = EngineTest;

// Open while open and close while closed send nothing.
TEST_F(DeviceCommands, CloseSilencesEveryChannelAndReopenSendsTheInstrumentToBoth) {
    p.program = 40;
    OpenMidiDevice(p);
    EXPECT_TRUE(Sent().empty());
    CloseMidiDevice(p);
    EXPECT_EQ(Sent(), AllNotesOff());
    CloseMidiDevice(p);
    EXPECT_FALSE(p.DeviceOpen());
    OpenMidiDevice(p);
    EXPECT_EQ(Sent(), (Words{ShortMessage(kProgramChange, 0, 40, 0),
                             ShortMessage(kProgramChange, 15, 40, 0)}));
}

TEST_F(DeviceCommands, ChoosingWhileOpenReopensOnTheNewDevice) {
    ChooseMidiDevice(p, 1);
    EXPECT_EQ(outputs.lastOpened, 1);
    EXPECT_EQ(Sent().size(), 16u + 2u);  // all notes off, then the instrument on both channels
}

TEST_F(DeviceCommands, ChoosingWhileClosedOpensNothingAndAFailedReopenWarns) {
    CloseMidiDevice(p);
    const int opens = outputs.openCount;
    ChooseMidiDevice(p, 1);
    EXPECT_EQ(outputs.openCount, opens);
    EXPECT_EQ(p.deviceId, 1);
    OpenMidiDevice(p);
    ChooseMidiDevice(p, 88);
    EXPECT_FALSE(p.DeviceOpen());
    EXPECT_EQ(view.warnings.size(), 1u);
}

using OwedReleases = EngineTest;

// A port whose queue is full for a moment (its server stalled) must not leave a note sounding.
TEST_F(OwedReleases, ARefusedReleaseGoesOutBeforeAnythingElseOnceTheDeviceTakesWordsAgain) {
    Press(kKeyA);
    Sent();
    outputs.full = true;
    Release(kKeyA);
    Press(kKeyS);
    Release(kKeyS);
    EXPECT_EQ(view.owedNotices, 1);  // told once, so that the window offers them again
    EXPECT_FALSE(PayOwedReleases(p));

    outputs.full = false;
    Press(kKeyA);  // pressed again: its late release must not silence the new note
    EXPECT_EQ(Sent(), (Words{NoteOff(0, 60), NoteOff(0, 62), NoteOn(0, 60)}));
    EXPECT_TRUE(PayOwedReleases(p));
    EXPECT_TRUE(Sent().empty());
}

TEST_F(OwedReleases, ADeviceClosedOwingAllNotesOffIsSilencedWhenADeviceOpensAgain) {
    Press(kKeyA);
    outputs.full = true;
    PressEscape(p);
    PressEscape(p);  // owed once, not twice
    CloseMidiDevice(p);
    outputs.full = false;
    Sent();
    OpenMidiDevice(p);
    Words expected = AllNotesOff();
    expected.insert(expected.end(), {ShortMessage(kProgramChange, 0, 0, 0),
                                     ShortMessage(kProgramChange, 15, 0, 0)});
    EXPECT_EQ(Sent(), expected);
    CloseMidiDevice(p);
    Sent();
    OpenMidiDevice(p);  // covered once: the next opening is an ordinary one
    EXPECT_EQ(Sent().size(), 2u);
}

}  // namespace
}  // namespace plinkora::testing
