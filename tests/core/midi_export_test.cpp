#include "recording/midi_export.h"

#include "file_test_support.h"
#include "recording/document.h"
#include "recording/recording.h"

namespace plinkora::testing {
namespace {

constexpr uint32_t kA = 30u << 16;  // key A: degree "1", octave 5

// A Standard MIDI File at 192 ticks per quarter note, each track given as hex.
Bytes Smf(uint8_t format, const std::vector<std::string>& tracks) {
    Bytes file = Text("MThd") + Hex("00000006 00") + Bytes{format, 0, uint8_t(tracks.size())};
    file = file + Hex("00C0");
    for (const std::string& hex : tracks) {
        const Bytes data = Hex(hex);
        file = file + Text("MTrk") + Bytes{0, 0, 0, uint8_t(data.size())} + data;
    }
    return file;
}
// Every track opens with the tempo 759494 us; the melody closes with a silent note 399 ticks
// after its last event.
const std::string kTempo = "00FF5103 0B96C6 ", kClose = " 830F900100 00800100", kEnd = " 00FF2F00";

TEST(MidiExport, OnePressAndReleaseIsTheKnown54Bytes) {
    const EventList events{{1000, 256, kA, 0}, {500, 257, kA, 0}};
    const Bytes expected = Smf(0, {kTempo + "00C000 817C903C7F 7E803C7F" + kClose + kEnd});
    EXPECT_EQ(expected.size(), 54u);
    EXPECT_EQ(BuildMidiFile(events, 1297, 0, false), expected);
}

TEST(MidiExport, TicksRoundDownAndClampToTheLargestQuantity) {
    const std::pair<uint32_t, uint32_t> cases[] = {
        {0, 0}, {3, 0}, {4, 1}, {30000, 7583}, {65000, 16431}, {UINT32_MAX, 0x0FFFFFFF}};
    for (const auto& [ms, ticks] : cases) {
        EXPECT_EQ(DelayToTicks(ms), ticks) << ms;
    }
    const EventList events{{30000, 256, kA, 0}, {65000, 257, kA, 0}, {UINT32_MAX, 256, kA, 0}};
    EXPECT_EQ(BuildMidiFile(events, 1297, 0, false),
              Smf(0, {kTempo + "00C000 BB1F903C7F 81802F803C7F FFFFFF7F903C7F" + kClose + kEnd}));
}

TEST(MidiExport, TheBourdonTrackDoublesAnOctaveLowerOnChannelSixteen) {
    const EventList events{{0, 256, kA, 1}, {3, 257, kA, -1}};  // shifts are not exported
    EXPECT_EQ(BuildMidiFile(events, 1298, 41, true),
              Smf(1, {kTempo + "00C029 00903E7F 00803E7F" + kClose + kEnd,
                      kTempo + "00CF29 009F327F 008F327F" + kEnd}));
}

TEST(MidiExport, AsPlayedEachNoteKeepsTheOctaveItSoundedIn) {
    const uint32_t kS = 31u << 16;             // degree "2"
    const EventList events{{0, 256, kA, 1},    // a Shift chord: C6
                           {0, 256, kS, 0},    // D5
                           {0, 257, kA, 0},    // the chord's release ends C6
                           {0, 256, kA, 5},    // no such shift: playback skips it
                           {0, 257, kS, -1}};  // ends D5
    EXPECT_EQ(BuildMidiFile(events, 1297, 0, true, true),
              Smf(1, {kTempo + "00C000 0090487F 00903E7F 0080487F 00803E7F" + kClose + kEnd,
                      kTempo + "00CF00 009F3C7F 009F327F 008F3C7F 008F327F" + kEnd}));
}

TEST(MidiExport, KeysThatPlayNothingLeaveTheirTimeToTheNextEvent) {
    const EventList events{{2000, 256, 0, 0},          // a silent key
                           {1000, 256, 99u << 16, 0},  // beyond the table
                           {1000, 256, kA, 0},
                           {4000, 257, 1u << 16, 0}};  // trailing: its time goes to the close
    // 505 + 252 + 252 = 1009 ticks = 87 71; then 1011 + 399 = 1410 ticks = 8B 02.
    EXPECT_EQ(BuildMidiFile(events, 1297, 0, false),
              Smf(0, {kTempo + "00C000 8771903C7F 8B02900100 00800100" + kEnd}));
}

using MidiExportFile = TempFolderTest;

TEST_F(MidiExportFile, WritesTheBuiltBytesAndRefusesWithoutLeavingAPartialFile) {
    const EventList events{{10, 256, kA, 0}, {10, 257, kA, 0}};
    EXPECT_FALSE(BuildMidiFile(events, 1306, 0, false));  // an unknown key signature
    EXPECT_FALSE(BuildMidiFile(events, 1297, 128, false));
    ASSERT_TRUE(ExportMidiFile(events, 1301, 5, true, Path("song.mid")).Ok());
    const Bytes written = ReadBytes(Path("song.mid"));
    EXPECT_EQ(written, *BuildMidiFile(events, 1301, 5, true));

    EXPECT_EQ(ExportMidiFile(events, 1310, 5, true, Path("song.mid")).Failure(), kCannotWrite);
    EXPECT_EQ(ExportMidiFile(events, 1310, 5, true, Path("new.mid")).Failure(), kCannotWrite);
    EXPECT_EQ(ExportMidiFile(events, 1297, 5, true, Path("gone/new.mid")).Failure(),
              kCannotOpenToWrite);
    EXPECT_EQ(ReadBytes(Path("song.mid")), written);
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"song.mid"});
}

}  // namespace
}  // namespace plinkora::testing
