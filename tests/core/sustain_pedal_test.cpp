#include "engine/sustain_pedal.h"

#include <functional>
#include <utility>

#include "engine/controls.h"
#include "engine_fixture.h"
#include "file_test_support.h"
#include "recording/document.h"
#include "recording/midi_export.h"
#include "recording/playback.h"
#include "recording/recording.h"

namespace plinkora::testing {
namespace {

using SustainPedal = EngineTest;

struct FakeClock final : MillisecondClock {
    uint32_t NowMs() const override { return 0; }
};
using Words = std::vector<uint32_t>;

uint32_t Pedal(int channel, bool down) {
    return ShortMessage(kControlChange, channel, kSustainController, down ? 127 : 0);
}

TEST_F(SustainPedal, SpaceHoldsThePedalOnTheTrackAndTheBourdonChannel) {
    ChooseTrack(p, 3);
    SetBourdon(p, true);
    Sent();
    Press(kPedalScanCode);
    Press(kPedalScanCode, true);  // auto-repeat
    EXPECT_EQ(Sent(), (Words{Pedal(3, true), Pedal(15, true)}));
    // Where the press put the pedal down, the release lifts it, whatever changed meanwhile.
    ChooseTrack(p, 5);
    SetBourdon(p, false);
    Sent();
    Release(kPedalScanCode);
    Release(kPedalScanCode);  // a second release has nothing to lift
    EXPECT_EQ(Sent(), (Words{Pedal(3, false), Pedal(15, false)}));
    EXPECT_EQ(p.heldPlain + p.heldShift + p.heldCtrl, 0);  // the pedal joins no key group
    ASSERT_EQ(painter.caps.size(), 3u);
    EXPECT_EQ(painter.caps[0].key, static_cast<int>(kPedalScanCode));
    EXPECT_TRUE(painter.caps[0].pressed);
    EXPECT_FALSE(painter.caps[1].pressed);
}

TEST_F(SustainPedal, NotesAndThePedalLeaveInTheOrderTheyWerePlayed) {
    Press(kKeyA);
    Press(kPedalScanCode);
    Release(kKeyA);
    Press(kKeyS);
    Release(kPedalScanCode);
    Release(kKeyS);
    EXPECT_EQ(Sent(), (Words{NoteOn(0, 60), Pedal(0, true), NoteOff(0, 60), NoteOn(0, 62),
                             Pedal(0, false), NoteOff(0, 62)}));
}

// All Notes Off alone would leave the pedal holding every note it ends.
TEST_F(SustainPedal, EscAndClosingTheDeviceLiftThePedalBeforeAllNotesOff) {
    Press(kPedalScanCode);
    Sent();
    PressEscape(p);
    Words expected{Pedal(0, false)};
    const Words allOff = AllNotesOff();
    expected.insert(expected.end(), allOff.begin(), allOff.end());
    EXPECT_EQ(Sent(), expected);
    Release(kPedalScanCode);
    EXPECT_TRUE(Sent().empty());

    SetBourdon(p, true);
    Press(kPedalScanCode);
    Sent();
    CloseMidiDevice(p);
    const Words closing = Sent();
    ASSERT_GE(closing.size(), 2u);
    EXPECT_EQ(closing[0], Pedal(0, false));
    EXPECT_EQ(closing[1], Pedal(15, false));
    OpenMidiDevice(p);
    Sent();
    Release(kPedalScanCode);
    EXPECT_TRUE(Sent().empty());
}

TEST_F(SustainPedal, ALiftThePortCannotTakeIsOwedNotLost) {
    Press(kPedalScanCode);
    outputs.full = true;
    Release(kPedalScanCode);
    outputs.full = false;
    Sent();
    Press(kKeyA);
    EXPECT_EQ(Sent(), (Words{Pedal(0, false), NoteOn(0, 60)}));
}

TEST_F(SustainPedal, ATakeRecordsTheSpaceBarAndPlaybackPutsThePedalDownAgain) {
    FakeClock clock;
    Recording recording(clock);
    p.recorder = &recording;
    BeginRecording(recording);
    Press(kKeyA);
    Press(kPedalScanCode);
    Press(kPedalScanCode, true);
    Release(kPedalScanCode);
    EXPECT_EQ(recording.recordingList, (EventList{{0, kKeyDown, KeyParam(kKeyA), 0},
                                                  {0, kKeyDown, KeyParam(kPedalScanCode), 0},
                                                  {0, kKeyUp, KeyParam(kPedalScanCode), 0}}));

    Sent();
    SetBourdon(p, true);
    Sent();
    PlayRecordedEvent(p, recording.recordingList[1]);
    PlayRecordedEvent(p, {0, kKeyDown, KeyParam(kPedalScanCode), 7});  // a shift means nothing
    EXPECT_EQ(Sent(), (Words{Pedal(0, true), Pedal(15, true)}));
    EXPECT_TRUE(painter.caps.back().pressed);
    // End Playing lifts a pedal the take left down.
    ReleaseAllKeys(p);
    EXPECT_EQ(Sent().front(), Pedal(0, false));
}

// A device lost with the pedal down, or closed owing its lift, leaves the receiver holding
// every later note: the next opening lifts it where it went down, before All Notes Off.
TEST_F(SustainPedal, APedalADeviceMayHaveLeftDownIsLiftedByTheNextOpeningBeforeAllNotesOff) {
    const EventRecord playedPedal{0, kKeyDown, KeyParam(kPedalScanCode), 0};
    const std::vector<std::pair<const char*, std::function<void()>>> losses{
        {"lost while held",
         [&] {
             Press(kPedalScanCode);
             outputs.full = outputs.lost = true;  // a lost device takes nothing
             CloseMidiDevice(p);
         }},
        {"lift owed, then closed",
         [&] {
             Press(kPedalScanCode);
             outputs.full = true;
             Press(kKeyA);
             Release(kPedalScanCode);
             CloseMidiDevice(p);
         }},
        {"lost again before the lift went out",
         [&] {
             Press(kPedalScanCode);
             outputs.full = outputs.lost = true;
             CloseMidiDevice(p);
             OpenMidiDevice(p);  // a server that has not answered the opening yet
             CloseMidiDevice(p);
         }},
        {"lost in a playback that held it",
         [&] {
             PlayRecordedEvent(p, playedPedal);
             outputs.lost = true;  // it took the lift, but may never have passed it on
             ReleaseAllKeys(p);
             CloseMidiDevice(p);
         }},
    };
    Words expected{Pedal(0, false), Pedal(15, false)};
    const Words allOff = AllNotesOff();
    expected.insert(expected.end(), allOff.begin(), allOff.end());
    expected.insert(expected.end(), {ShortMessage(kProgramChange, 0, 0, 0),
                                     ShortMessage(kProgramChange, 15, 0, 0)});
    for (const auto& [what, lose] : losses) {
        SCOPED_TRACE(what);
        SetBourdon(p, true);
        lose();
        outputs.full = outputs.lost = false;
        Sent();
        OpenMidiDevice(p);
        EXPECT_EQ(Sent(), expected);
        CloseMidiDevice(p);
        OpenMidiDevice(p);  // lifted once: the next opening is an ordinary one
        EXPECT_EQ(Sent().size(), 16u + 2u);
        Sent();
    }
}

using PedalFiles = TempFolderTest;

const EventList kPedalTake{{0, kKeyDown, KeyParam(kKeyA), 1},
                           {1000, kKeyDown, KeyParam(kPedalScanCode), 0},
                           {500, kKeyUp, KeyParam(kKeyA), 1},
                           {500, kKeyUp, KeyParam(kPedalScanCode), 0}};

TEST_F(PedalFiles, ADocumentKeepsThePedalAsSpaceBarEvents) {
    ASSERT_TRUE(SaveDocument(kPedalTake, 1297, false, Path("pedal.plk"), "2024-03-09").Ok());
    const Bytes bytes = ReadBytes(Path("pedal.plk"));
    const Bytes pedalDown = Le32s({1000, 256, 0x39u << 16, 0});
    EXPECT_NE(std::search(bytes.begin(), bytes.end(), pedalDown.begin(), pedalDown.end()),
              bytes.end());
    DocumentContents loaded;
    ASSERT_TRUE(LoadDocument(Path("pedal.plk"), loaded).Ok());
    EXPECT_EQ(loaded.events, kPedalTake);
}

TEST(PedalExport, ThePedalIsControlChange64OnEachTrackOfBothKinds) {
    // 1000 ms = 252 ticks (81 7C), 500 ms = 126 ticks (7E).
    const std::string tempo = "00FF5103 0B96C6 ";
    const Bytes melody = Hex(tempo +
                             "00C000 0090487F 817CB0407F 7E80487F 7EB04000 830F900100 "
                             "00800100 00FF2F00");
    const Bytes bourdon = Hex(tempo + "00CF00 009F3C7F 817CBF407F 7E8F3C7F 7EBF4000 00FF2F00");
    for (const bool asPlayed : {true, false}) {
        // The take's only shifted key is A, an octave up as played, at its own octave else.
        const std::optional<Bytes> file = BuildMidiFile(kPedalTake, 1297, 0, true, asPlayed);
        ASSERT_TRUE(file);
        const Bytes shown = asPlayed ? melody
                                     : Hex(tempo +
                                           "00C000 00903C7F 817CB0407F 7E803C7F "
                                           "7EB04000 830F900100 00800100 00FF2F00");
        EXPECT_NE(std::search(file->begin(), file->end(), shown.begin(), shown.end()), file->end())
            << asPlayed;
        const Bytes low = asPlayed ? bourdon
                                   : Hex(tempo +
                                         "00CF00 009F307F 817CBF407F 7E8F307F "
                                         "7EBF4000 00FF2F00");
        EXPECT_NE(std::search(file->begin(), file->end(), low.begin(), low.end()), file->end())
            << asPlayed;
    }
}

TEST(PedalExport, ATakeFinishedWithThePedalDownEndsWithItLiftedOnEachTrackOfBothKinds) {
    // Finished while Space was held: no release of the pedal in the take.
    const EventList take{{0, kKeyDown, KeyParam(kKeyA), 0},
                         {1000, kKeyDown, KeyParam(kPedalScanCode), 0},
                         {500, kKeyUp, KeyParam(kKeyA), 0}};
    const std::string tempo = "00FF5103 0B96C6 ";
    // Lifted at the release of A, the take's last event; the closing pause follows.
    const Bytes melody = Hex(tempo +
                             "00C000 00903C7F 817CB0407F 7E803C7F 00B04000 830F900100 "
                             "00800100 00FF2F00");
    const Bytes bourdon = Hex(tempo + "00CF00 009F307F 817CBF407F 7E8F307F 00BF4000 00FF2F00");
    for (const bool asPlayed : {false, true}) {
        const std::optional<Bytes> file = BuildMidiFile(take, 1297, 0, true, asPlayed);
        ASSERT_TRUE(file);
        for (const Bytes& track : {melody, bourdon}) {
            // The whole track, from its header with its length to its end.
            Bytes chunk = Hex("4D54726B");
            chunk.insert(chunk.end(), {0, 0, 0, static_cast<uint8_t>(track.size())});
            chunk.insert(chunk.end(), track.begin(), track.end());
            EXPECT_NE(std::search(file->begin(), file->end(), chunk.begin(), chunk.end()),
                      file->end())
                << asPlayed;
        }
    }
}

}  // namespace
}  // namespace plinkora::testing
