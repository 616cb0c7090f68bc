#include "recording/document.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <tuple>

#include "file_test_support.h"
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
    EXPECT_EQ(LoadDocument(folder_.string(), out).Failure(), kCannotFindOrOpen);
    ASSERT_EQ(mkfifo(Path("pipe.plk").c_str(), 0600), 0);  // opening it must not wait
    EXPECT_EQ(LoadDocument(Path("pipe.plk"), out).Failure(), kCannotFindOrOpen);
    EXPECT_EQ(FormatDocumentMessage(kCannotRead, "50% off.plk"), "Can not read file 50% off.plk.");
    EXPECT_EQ(FormatDocumentMessage(kNotStandardFile, ""),
              "File Untitled is not a standard Plinkora file.");
}

TEST_F(DocumentTest, AFailedSaveLeavesTheEarlierFileAsItWas) {
    const EventList events(100, kPressA);
    ASSERT_TRUE(SaveDocument({&kPressA, 1}, 1297, false, Path("song.plk")).Ok());
    chmod(Path("song.plk").c_str(), 0640);
    const Bytes earlier = ReadBytes(Path("song.plk"));
    // Writes beyond 1000 bytes fail with EFBIG, as on a full disk.
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto previous = signal(SIGXFSZ, SIG_IGN);
    rlimit lowered{1000, saved.rlim_max};
    setrlimit(RLIMIT_FSIZE, &lowered);
    EXPECT_EQ(SaveDocument(events, 1297, false, Path("song.plk")).Failure(), kCannotWrite);
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, previous);
    EXPECT_EQ(ReadBytes(Path("song.plk")), earlier);
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"song.plk"});

    // A successful save replaces it whole and keeps its permissions.
    ASSERT_TRUE(SaveDocument(events, 1297, false, Path("song.plk")).Ok());
    EXPECT_EQ(ReadBytes(Path("song.plk")).size(), 104u + 1600);
    struct stat info {};
    stat(Path("song.plk").c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0640u);

    EXPECT_EQ(SaveDocument(events, 1297, false, Path("gone/song.plk")).Failure(),
              kCannotOpenToWrite);
    std::filesystem::create_directory(Path("folder.plk"));
    EXPECT_EQ(SaveDocument(events, 1297, false, Path("folder.plk")).Failure(), kCannotOpenToWrite);
    EXPECT_EQ(FolderEntries().size(), 2u);  // song.plk and folder.plk, no leftovers
}

TEST_F(DocumentTest, AReadOnlyFileIsNeverReplacedThoughTheFolderIsWritable) {
    ASSERT_TRUE(SaveDocument({&kPressA, 1}, 1297, false, Path("kept.plk")).Ok());
    chmod(Path("kept.plk").c_str(), 0444);
    chmod(folder_.c_str(), 0777);
    const Bytes earlier = ReadBytes(Path("kept.plk"));
    const EventList events(3, kPressA);
    const auto save = [&] { return SaveDocument(events, 1297, false, Path("kept.plk")); };
    if (geteuid() != 0) {
        EXPECT_EQ(save().Failure(), kCannotOpenToWrite);
    } else {  // root may write anything: an ordinary user saves instead
        const pid_t child = fork();
        if (child == 0) {
            _exit(setuid(65534) == 0 && save().Failure() == kCannotOpenToWrite ? 0 : 1);
        }
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    EXPECT_EQ(ReadBytes(Path("kept.plk")), earlier);
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"kept.plk"});
}

}  // namespace
}  // namespace plinkora::testing
