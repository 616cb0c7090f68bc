#include "recording/midi_export.h"

#include "file_test_support.h"
#include "recording/recording.h"

namespace plinkora::testing {
namespace {

constexpr uint32_t kA = 30u << 16;  // key A: degree "1", octave 5

Bytes Header(uint16_t format, uint16_t tracks) {
    return Bytes{'M', 'T',
                 'h', 'd',
                 0,   0,
                 0,   6,
                 0,   static_cast<uint8_t>(format),
                 0,   static_cast<uint8_t>(tracks),
                 0,   0xC0};
}

Bytes Track(const Bytes& data) {
    Bytes track{'M',
                'T',
                'r',
                'k',
                0,
                0,
                static_cast<uint8_t>(data.size() >> 8),
                static_cast<uint8_t>(data.size())};
    track.insert(track.end(), data.begin(), data.end());
    return track;
}

const Bytes kTempo{0x00, 0xFF, 0x51, 0x03, 0x0B, 0x96, 0xC6};
const Bytes kClosing{0x83, 0x0F, 0x90, 0x01, 0x00, 0x00, 0x80, 0x01, 0x00};
const Bytes kEnd{0x00, 0xFF, 0x2F, 0x00};

TEST(MidiExport, OnePressAndReleaseIsTheKnown54Bytes) {
    const EventList events{{1000, 256, kA, 0}, {500, 257, kA, 0}};
    const auto file = BuildMidiFile(events, 1297, 0, false);
    ASSERT_TRUE(file);
    const Bytes expected = Concat({Header(0, 1), Track(Concat({kTempo,
                                                               {0x00, 0xC0, 0x00},
                                                               {0x81, 0x7C, 0x90, 60, 0x7F},
                                                               {0x7E, 0x80, 60, 0x7F},
                                                               kClosing,
                                                               kEnd}))});
    EXPECT_EQ(expected.size(), 54u);
    EXPECT_EQ(*file, expected);
}

TEST(MidiExport, TicksRoundDownAndClampToTheLargestQuantity) {
    EXPECT_EQ(DelayToTicks(0), 0u);
    EXPECT_EQ(DelayToTicks(3), 0u);
    EXPECT_EQ(DelayToTicks(4), 1u);
    EXPECT_EQ(DelayToTicks(30000), 7583u);
    EXPECT_EQ(DelayToTicks(65000), 16431u);
    EXPECT_EQ(DelayToTicks(UINT32_MAX), 0x0FFFFFFFu);

    const EventList events{{30000, 256, kA, 0}, {65000, 257, kA, 0}, {UINT32_MAX, 256, kA, 0}};
    const Bytes file = *BuildMidiFile(events, 1297, 0, false);
    const Bytes body(file.begin() + 22 + 10, file.end());
    const Bytes expectedStart = Concat({{0xBB, 0x1F, 0x90, 60, 0x7F},
                                        {0x81, 0x80, 0x2F, 0x80, 60, 0x7F},
                                        {0xFF, 0xFF, 0xFF, 0x7F, 0x90, 60, 0x7F}});
    EXPECT_EQ(Bytes(body.begin(), body.begin() + expectedStart.size()), expectedStart);
}

TEST(MidiExport, TheBourdonTrackDoublesAnOctaveLowerOnChannelSixteen) {
    const EventList events{{0, 256, kA, 1}, {3, 257, kA, -1}};  // shifts are not exported
    const auto file = BuildMidiFile(events, 1298, 41, true);
    ASSERT_TRUE(file);
    const Bytes first = Track(Concat({kTempo,
                                      {0x00, 0xC0, 41},
                                      {0x00, 0x90, 62, 0x7F},
                                      {0x00, 0x80, 62, 0x7F},
                                      kClosing,
                                      kEnd}));
    const Bytes second = Track(
        Concat({kTempo, {0x00, 0xCF, 41}, {0x00, 0x9F, 50, 0x7F}, {0x00, 0x8F, 50, 0x7F}, kEnd}));
    EXPECT_EQ(*file, Concat({Header(1, 2), first, second}));
}

TEST(MidiExport, KeysThatPlayNothingLeaveTheirTimeToTheNextEvent) {
    const EventList events{{2000, 256, 0, 0},          // a silent key
                           {1000, 256, 99u << 16, 0},  // beyond the table
                           {1000, 256, kA, 0},
                           {4000, 257, 1u << 16, 0}};  // trailing: its time goes to the close
    const Bytes file = *BuildMidiFile(events, 1297, 0, false);
    const Bytes body(file.begin() + 22 + 10, file.end());
    // 505 + 252 + 252 = 1009 ticks = 87 71; then 1011 + 399 = 1410 ticks = 8B 02.
    const Bytes expected = Concat({{0x87, 0x71, 0x90, 60, 0x7F},
                                   {0x8B, 0x02, 0x90, 0x01, 0x00},
                                   {0x00, 0x80, 0x01, 0x00},
                                   kEnd});
    EXPECT_EQ(body, expected);
}

TEST(MidiExport, WhatCannotBeWrittenIsRefused) {
    const EventList events{{0, 256, kA, 0}};
    EXPECT_FALSE(BuildMidiFile(events, 1306, 0, false));  // names no key signature
    EXPECT_FALSE(BuildMidiFile(events, 0, 0, false));
    EXPECT_FALSE(BuildMidiFile(events, 1297, 128, false));
    EXPECT_FALSE(BuildMidiFile(events, 1297, -1, false));
}

using MidiExportFile = TempFolderTest;

TEST_F(MidiExportFile, WritesTheBuiltBytesAndNeverLeavesAPartialFile) {
    const EventList events{{10, 256, kA, 0}, {10, 257, kA, 0}};
    ASSERT_TRUE(ExportMidiFile(events, 1301, 5, true, Path("song.mid")));
    EXPECT_EQ(ReadBytes(Path("song.mid")), *BuildMidiFile(events, 1301, 5, true));

    const Bytes earlier = ReadBytes(Path("song.mid"));
    EXPECT_FALSE(ExportMidiFile(events, 1310, 5, true, Path("song.mid")));
    EXPECT_FALSE(ExportMidiFile(events, 1310, 5, true, Path("new.mid")));
    EXPECT_FALSE(ExportMidiFile(events, 1297, 5, true, Path("gone/new.mid")));
    EXPECT_EQ(ReadBytes(Path("song.mid")), earlier);
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"song.mid"});
}

}  // namespace
}  // namespace plinkora::testing
