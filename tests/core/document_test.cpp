#include "recording/document.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include "engine/bourdon.h"
#include "engine/capturing_midi.h"
#include "file_test_support.h"

namespace plinkora::testing {
namespace {

using DocumentTest = TempFolderTest;

const EventRecord kPressA{1000, 256, 30u << 16, 0};

Bytes Riff(const std::string& form, const Bytes& chunks) {
    Bytes data;
    Append(data, form);
    data.insert(data.end(), chunks.begin(), chunks.end());
    return Chunk("RIFF", data);
}

Bytes Format(uint32_t count, uint32_t keySignature = 1297, uint32_t bourdon = 0) {
    return Chunk("fmt ", Le32s({count, keySignature, bourdon, 0, 0, 0}));
}

Bytes Records(const std::vector<EventRecord>& events) {
    Bytes out;
    for (const EventRecord& e : events) {
        AppendLe32(out, e.delay_ms);
        AppendLe32(out, e.message);
        AppendLe32(out, e.key_param);
        AppendLe32(out, static_cast<uint32_t>(e.octave_shift));
    }
    return out;
}

TEST_F(DocumentTest, OneEventIsTheKnown120Bytes) {
    ASSERT_EQ(SaveDocument({&kPressA, 1}, 1297, true, Path("one.plk"), "2024-03-09"), nullptr);
    Bytes expected;
    Append(expected, "RIFF");
    AppendLe32(expected, 112);
    Append(expected, "PL  LIST");
    AppendLe32(expected, 44);
    Append(expected, "INFOISFT");
    AppendLe32(expected, 11);
    Append(expected, std::string("PL by Orak\0\0ISCD", 16));
    AppendLe32(expected, 11);
    Append(expected, std::string("2024-03-09\0\0fmt ", 16));
    expected = Concat({expected, Le32s({24, 1, 1297, 1, 0, 0, 0})});
    Append(expected, "data");
    expected = Concat({expected, Le32s({16, 1000, 256, 30u << 16, 0})});
    EXPECT_EQ(expected.size(), 120u);
    EXPECT_EQ(ReadBytes(Path("one.plk")), expected);
}

TEST_F(DocumentTest, RoundTripKeepsEveryFieldAndStampsToday) {
    EventList events;
    for (uint32_t i = 0; i < 5000; ++i) {
        events.push_back(
            {i * 7919u, 256u + i % 2, (i % 54) << 16 | i, static_cast<int32_t>(i % 3) - 1});
    }
    ASSERT_EQ(SaveDocument(events, 1331, false, Path("many.plk")), nullptr);
    EXPECT_EQ(ReadBytes(Path("many.plk")).size(), 104u + 16 * events.size());
    DocumentContents loaded;
    ASSERT_EQ(LoadDocument(Path("many.plk"), loaded), nullptr);
    EXPECT_EQ(loaded.events, events);
    EXPECT_EQ(loaded.keySignature, 1331);
    EXPECT_EQ(loaded.bourdon, 0u);
    ASSERT_EQ(loaded.dateText.size(), 10u);
    EXPECT_EQ(loaded.dateText[4], '-');
}

TEST_F(DocumentTest, OtherChunksAnywhereArePassedOverAndTheListIsIgnored) {
    const Bytes brokenList = Chunk("LIST", Le32s({0xDEADBEEF}));
    const Bytes odd = Chunk("junk", Bytes{1, 2, 3});  // odd size: followed by a pad byte
    WriteBytes(
        Path("extra.plk"),
        Concat({Chunk("JUNK", Bytes(5, 9)),
                Riff("PL  ", Concat({brokenList, odd, Format(1, 1302, 2), odd, Chunk("LIST", {}),
                                     Chunk("data", Records({kPressA}))}))}));
    DocumentContents loaded;
    ASSERT_EQ(LoadDocument(Path("extra.plk"), loaded), nullptr);
    EXPECT_EQ(loaded.events, EventList{kPressA});
    EXPECT_EQ(loaded.keySignature, 1302);
    EXPECT_TRUE(loaded.dateText.empty());

    // A stored bourdon of 2 is not "on".
    CapturingMidiOutputs outputs;
    Performance p(outputs);
    p.bourdonOn = true;
    SetBourdonFromDocument(p, loaded.bourdon);
    EXPECT_FALSE(p.bourdonOn);
}

struct BadDocument {
    const char* name;
    Bytes bytes;
    const char* message;
};

TEST_F(DocumentTest, EveryFaultGivesItsMessageAndChangesNothing) {
    const Bytes data = Chunk("data", Records({kPressA}));
    Bytes truncatedFormat = Riff("PL  ", Format(1));
    truncatedFormat.resize(truncatedFormat.size() - 4);
    Bytes truncatedEvents =
        Riff("PL  ", Concat({Format(2), Chunk("data", Records({kPressA, kPressA}))}));
    truncatedEvents.resize(truncatedEvents.size() - 16);
    const std::vector<BadDocument> cases = {
        {"empty", {}, kNotStandardFile},
        {"wave", Riff("WAVE", Concat({Format(1), data})), kNotStandardFile},
        {"no fmt", Riff("PL  ", data), kNotStandardFile},
        {"data first", Riff("PL  ", Concat({data, Format(1)})), kNotStandardFile},
        {"short fmt", Riff("PL  ", Concat({Chunk("fmt ", Le32s({1, 1297, 0, 0})), data})),
         kNotSupportedFile},
        {"no events", Riff("PL  ", Concat({Format(0), Chunk("data", {})})), kNotSupportedFile},
        {"size mismatch", Riff("PL  ", Concat({Format(2), data})), kNotSupportedFile},
        // 0x10000001 x 16 wraps to 16 in 32 bits.
        {"wrapping count", Riff("PL  ", Concat({Format(0x10000001), data})), kNotSupportedFile},
        {"events missing", truncatedEvents, kNotSupportedFile},
        {"unnamed key signature", Riff("PL  ", Concat({Format(1, 1306), data})), kNotSupportedFile},
        {"zero key signature", Riff("PL  ", Concat({Format(1, 0), data})), kNotSupportedFile},
        {"fmt cut short", truncatedFormat, kCannotRead},
    };
    for (const BadDocument& bad : cases) {
        WriteBytes(Path("bad.plk"), bad.bytes);
        DocumentContents out;
        out.events = {kPressA};
        out.keySignature = 1300;
        out.bourdon = 7;
        EXPECT_EQ(LoadDocument(Path("bad.plk"), out), bad.message) << bad.name;
        EXPECT_EQ(out.events, EventList{kPressA}) << bad.name;
        EXPECT_EQ(out.keySignature, 1300) << bad.name;
        EXPECT_EQ(out.bourdon, 7u) << bad.name;
    }
    DocumentContents out;
    EXPECT_EQ(LoadDocument(Path("absent.plk"), out), kCannotFindOrOpen);
    EXPECT_EQ(LoadDocument(folder_.string(), out), kCannotFindOrOpen);
}

// Makes writes beyond limit bytes fail with EFBIG, as a full disk would, for one scope.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t limit) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = saved_;
        lowered.rlim_cur = limit;
        setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        signal(SIGXFSZ, previous_);
    }

  private:
    rlimit saved_{};
    void (*previous_)(int) = nullptr;
};

TEST_F(DocumentTest, AFailedSaveLeavesTheEarlierFileAsItWas) {
    const EventList events(100, kPressA);
    ASSERT_EQ(SaveDocument({&kPressA, 1}, 1297, false, Path("song.plk")), nullptr);
    chmod(Path("song.plk").c_str(), 0640);
    const Bytes earlier = ReadBytes(Path("song.plk"));
    {
        FileSizeLimit limit(1000);
        EXPECT_EQ(SaveDocument(events, 1297, false, Path("song.plk")), kCannotWrite);
    }
    EXPECT_EQ(ReadBytes(Path("song.plk")), earlier);
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"song.plk"});

    // A successful save replaces it whole and keeps its permissions.
    ASSERT_EQ(SaveDocument(events, 1297, false, Path("song.plk")), nullptr);
    EXPECT_EQ(ReadBytes(Path("song.plk")).size(), 104u + 1600);
    struct stat info {};
    stat(Path("song.plk").c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(FolderEntries().size(), 1u);
}

TEST_F(DocumentTest, SavesThatCannotHappenSaySo) {
    EXPECT_EQ(SaveDocument({&kPressA, 1}, 1297, false, Path("gone/song.plk")), kCannotOpenToWrite);
    std::filesystem::create_directory(Path("folder.plk"));
    EXPECT_EQ(SaveDocument({&kPressA, 1}, 1297, false, Path("folder.plk")), kCannotWrite);
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"folder.plk"});
}

TEST(DocumentMessage, NamesTheDocumentOrUntitled) {
    EXPECT_EQ(FormatDocumentMessage(kCannotRead, "50% off.plk"), "Can not read file 50% off.plk.");
    EXPECT_EQ(FormatDocumentMessage(kNotStandardFile, ""),
              "File Untitled is not a standard Plinkora file.");
}

}  // namespace
}  // namespace plinkora::testing
