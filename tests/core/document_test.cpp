#include "recording/document.h"

#include <algorithm>
#include <tuple>

#include "file_test_support.h"
#include "recording/midi_export.h"
#include "tests/support/capturing_midi.h"

namespace plinkora::testing {
namespace {

using DocumentTest = TempFolderTest;

const EventRecord kPressA{1000, 256, 30u << 16, 0};
const Bytes kRecord = Le32s({1000, 256, 30u << 16, 0});
const Bytes kData = Chunk("data", kRecord);

Bytes Riff(const Bytes& chunks, const char* form = "PL  ") {
    return Chunk("RIFF", Text(form) + chunks);
}
Bytes Format(uint32_t count, uint32_t keySignature = 1297, uint32_t bourdon = 0) {
    return Chunk("fmt ", Le32s({count, keySignature, bourdon, 0, 0, 0}));
}

TEST_F(DocumentTest, OneEventIsTheKnown120Bytes) {
    ASSERT_TRUE(SaveDocument({&kPressA, 1}, 1297, true, Path("one.plk"), "2024-03-09").Ok());
    const Bytes expected = Text("RIFF") + Le32s({112}) + Text("PL  LIST") + Le32s({44}) +
                           Text("INFOISFT") + Le32s({11}) + Text({"PL by Orak\0\0ISCD", 16}) +
                           Le32s({11}) + Text({"2024-03-09\0\0fmt ", 16}) +
                           Le32s({24, 1, 1297, 1, 0, 0, 0}) + Text("data") +
                           Le32s({16, 1000, 256, 30u << 16, 0});
    EXPECT_EQ(expected.size(), 120u);
    EXPECT_EQ(ReadBytes(Path("one.plk")), expected);
}

TEST_F(DocumentTest, RoundTripKeepsEveryFieldAndStampsToday) {
    EventList events;
    for (uint32_t i = 0; i < 5000; ++i) {
        events.push_back(
            {i * 7919u, 256u + i % 2, (i % 54) << 16 | i, static_cast<int32_t>(i % 3) - 1});
    }
    ASSERT_TRUE(SaveDocument(events, 1331, false, Path("many.plk")).Ok());
    DocumentContents loaded;
    ASSERT_TRUE(LoadDocument(Path("many.plk"), loaded).Ok());
    EXPECT_EQ(loaded.events, events);
    EXPECT_EQ(loaded.keySignature, 1331);
    EXPECT_EQ(loaded.bourdon, 0u);
    ASSERT_EQ(loaded.dateText.size(), 10u);
    EXPECT_EQ(loaded.dateText[4], '-');
}

TEST_F(DocumentTest, OtherChunksAnywhereArePassedOverAndBourdonTwoIsOff) {
    const Bytes odd = Chunk("junk", Bytes{1, 2, 3});  // odd size: followed by a pad byte
    const Bytes chunks = Chunk("LIST", Le32s({0xDEADBEEF})) + odd + Format(1, 1302, 2) + odd +
                         Chunk("LIST", {}) + kData;
    WriteBytes(Path("extra.plk"), Chunk("JUNK", Bytes(5, 9)) + Riff(chunks));
    DocumentContents loaded;
    ASSERT_TRUE(LoadDocument(Path("extra.plk"), loaded).Ok());
    EXPECT_EQ(loaded.events, EventList{kPressA});
    EXPECT_EQ(loaded.keySignature, 1302);
    EXPECT_TRUE(loaded.dateText.empty());
    EXPECT_FALSE(loaded.BourdonOn());  // only 1 means on
}

TEST_F(DocumentTest, EveryFaultGivesItsMessageAndChangesNothing) {
    Bytes cutFormat = Riff(Format(1));
    cutFormat.resize(cutFormat.size() - 4);
    Bytes cutEvents = Riff(Format(2) + Chunk("data", kRecord + kRecord));
    cutEvents.resize(cutEvents.size() - 16);
    const std::tuple<const char*, Bytes, const char*> cases[] = {
        {"empty", {}, kNotStandardFile},
        {"wave", Riff(Format(1) + kData, "WAVE"), kNotStandardFile},
        {"no fmt", Riff(kData), kNotStandardFile},
        {"data first", Riff(kData + Format(1)), kNotStandardFile},
        {"short fmt", Riff(Chunk("fmt ", Le32s({1, 1297, 0, 0})) + kData), kNotSupportedFile},
        {"no events", Riff(Format(0) + Chunk("data", {})), kNotSupportedFile},
        {"size mismatch", Riff(Format(2) + kData), kNotSupportedFile},
        // 0x10000001 x 16 overflows to 16 in 32 bits.
        {"overflowing count", Riff(Format(0x10000001) + kData), kNotSupportedFile},
        {"events missing", cutEvents, kCannotRead},
        {"unknown key signature", Riff(Format(1, 1306) + kData), kNotSupportedFile},
        {"zero key signature", Riff(Format(1, 0) + kData), kNotSupportedFile},
        {"fmt cut short", cutFormat, kCannotRead},
        // A chunk id must be printable: zeros end the chunks, as in a file of zeros.
        {"zeros before the form", Bytes(8) + Riff(Format(1) + kData), kNotStandardFile},
        {"zeros before fmt", Riff(Bytes(8) + Format(1) + kData), kNotStandardFile},
    };
    for (const auto& [name, bytes, message] : cases) {
        WriteBytes(Path("bad.plk"), bytes);
        DocumentContents out{{kPressA}, 1300, 7, "x"};
        EXPECT_EQ(LoadDocument(Path("bad.plk"), out).Failure(), message) << name;
        EXPECT_TRUE(out.events == EventList{kPressA} && out.keySignature == 1300 &&
                    out.bourdon == 7)
            << name << ": changed by a failed load";
    }
    DocumentContents out;
    EXPECT_EQ(LoadDocument(Path("absent.plk"), out).Failure(), kCannotFindOrOpen);
    EXPECT_EQ(LoadDocument(Folder(), out).Failure(), kCannotFindOrOpen);
    EXPECT_EQ(FormatDocumentMessage(kCannotRead, "50% off.plk"), "Can not read file 50% off.plk.");
    EXPECT_EQ(FormatDocumentMessage(kNotStandardFile, ""),
              "File Untitled is not a standard Plinkora file.");
}

TEST_F(DocumentTest, ANameInAnyScriptOpensSavesAndExports) {
    const std::string name = Path("曲子 é.plk");
    ASSERT_TRUE(SaveDocument({&kPressA, 1}, 1298, true, name, "2024-03-09").Ok());
    DocumentContents loaded;
    ASSERT_TRUE(LoadDocument(name, loaded).Ok());
    EXPECT_EQ(loaded.events, EventList{kPressA});
    ASSERT_TRUE(
        ExportMidiFile(loaded.events, loaded.keySignature, 0, true, Path("曲子 é.mid")).Ok());
    EXPECT_EQ(ReadBytes(Path("曲子 é.mid")), *BuildMidiFile(loaded.events, 1298, 0, true));
    std::vector<std::string> entries = FolderEntries();
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, (std::vector<std::string>{"曲子 é.mid", "曲子 é.plk"}));
}

TEST_F(DocumentTest, SavingWhereNoFileCanBeIsRefusedAndLeavesNothing) {
    const EventList events(3, kPressA);
    EXPECT_EQ(SaveDocument(events, 1297, false, Path("gone/song.plk")).Failure(),
              kCannotOpenToWrite);
    std::filesystem::create_directory(Path("folder.plk"));
    EXPECT_EQ(SaveDocument(events, 1297, false, Path("folder.plk")).Failure(), kCannotOpenToWrite);
    EXPECT_TRUE(std::filesystem::is_directory(Path("folder.plk")));
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"folder.plk"});
}

}  // namespace
}  // namespace plinkora::testing
