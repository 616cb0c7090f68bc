#include <gtest/gtest.h>

#include <iterator>
#include <sstream>

#include "engine/midi_output.h"
#include "file_test_support.h"
#include "recording/offline_render.h"
#include "recording/recording.h"
#include "recording/wav_writer.h"
#include "tools/convert_options.h"

namespace plinkora::testing {
namespace {

constexpr uint32_t kRate = 1000;  // one frame per millisecond keeps the arithmetic plain
constexpr uint32_t kA = 30u << 16;

// Notes at which frame each word arrived; renders the frame number as the sample value.
struct TimelineTarget final : RenderTarget {
    void Send(uint32_t word) override { words.emplace_back(frame, word); }
    void Render(float* interleaved, int frames) override {
        for (int i = 0; i < frames; ++i, ++frame) {
            interleaved[2 * i] = interleaved[2 * i + 1] = static_cast<float>(frame);
        }
    }
    std::vector<std::pair<uint64_t, uint32_t>> words;
    uint64_t frame = 0;
};

struct CountingSink final : FrameSink {
    bool PutFrames(const float* interleaved, int count) override {
        for (int i = 0; i < count; ++i) {
            inOrder = inOrder && interleaved[2 * i] == static_cast<float>(frames + i);
        }
        frames += static_cast<uint64_t>(count);
        return frames <= giveUpAfter;
    }
    uint64_t frames = 0;
    uint64_t giveUpAfter = UINT64_MAX;
    bool inOrder = true;
};

TEST(OfflineRender, EventsSoundWhenPlaybackWouldDeliverThemUntilTheSinkGivesUp) {
    const EventList events{{100, 256, kA, 1}, {0, 257, kA, 1}, {2000, 256, 31u << 16, 0}};
    TimelineTarget target;
    CountingSink sink;
    ASSERT_TRUE(RenderPerformance(events, {1298, 40, 64, 3, true}, target, kRate, 2000, sink));
    EXPECT_EQ(sink.frames, RenderedFrameCount(events, kRate, 2000));
    EXPECT_EQ(sink.frames, 100u + 5 + 2000 + 2000);
    EXPECT_TRUE(sink.inOrder);
    std::vector<std::pair<uint64_t, uint32_t>> expected{
        {0, ShortMessage(kProgramChange, 3, 40, 0)}, {0, ShortMessage(kProgramChange, 15, 40, 0)},
        {100, ShortMessage(kNoteOn, 3, 74, 64)},     {100, ShortMessage(kNoteOn, 15, 62, 64)},
        {105, ShortMessage(kNoteOff, 3, 74, 0)},     {105, ShortMessage(kNoteOff, 15, 62, 0)},
        {2105, ShortMessage(kNoteOn, 3, 64, 64)},    {2105, ShortMessage(kNoteOn, 15, 52, 64)},
    };
    for (uint32_t channel = 0; channel < 16; ++channel) {
        expected.emplace_back(2105, ShortMessage(kControlChange, channel, 123, 0));
    }
    EXPECT_EQ(target.words, expected);

    CountingSink quitter;
    quitter.giveUpAfter = 3000;
    EXPECT_FALSE(
        RenderPerformance(EventList{{5000, 256, kA, 0}}, {1297}, target, kRate, 2000, quitter));
    EXPECT_LT(quitter.frames, 5000u);
}

using WavFile = TempFolderTest;

TEST_F(WavFile, HeaderAndClampedSamplesOrNoFileWhenCutShort) {
    const float frames[] = {0.0f, 1.0f, -1.0f, 2.0f, 0.5f, -7.0f};
    auto write = [&](const char* name, uint32_t promised) {
        return WriteFileAtomically(Path(name), [&](FileOutput& out) {
            WavWriter wav(out, 44100, promised);
            return wav.PutFrames(frames, 3) && wav.Complete();
        });
    };
    ASSERT_EQ(write("a.wav", 3), AtomicWriteResult::kOk);
    EXPECT_EQ(ReadBytes(Path("a.wav")), Text("RIFF") + Le32s({36 + 12}) + Text("WAVEfmt ") +
                                            Le32s({16, 0x00020001, 44100, 44100 * 4, 0x00100004}) +
                                            Text("data") + Le32s({12}) +
                                            Hex("0000 FF7F 0180 FF7F 0040 0180"));
    EXPECT_EQ(write("b.wav", 4), AtomicWriteResult::kCannotWrite);  // fewer frames than promised
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"a.wav"});
}

// The command line after the program's name, split at spaces.
std::variant<ConvertOptions, UsageError> Parse(const std::string& line) {
    std::istringstream in(line);
    const std::vector<std::string> words{std::istream_iterator<std::string>(in), {}};
    std::vector<const char*> args;
    for (const std::string& word : words) {
        args.push_back(word.c_str());
    }
    return ParseConvertOptions(static_cast<int>(args.size()), args.data());
}

TEST(ConvertOptionsTest, ReadsEveryOptionAndRefusesWhatItCannotUse) {
    const auto o = std::get<ConvertOptions>(
        Parse("--key-signature 6=#a --program=40 --bourdon on --force 1 --track 15 "
              "--soundfont x.sf2 in.plk OUT.WAV"));
    EXPECT_EQ(std::tie(o.keySignature, o.program, o.bourdon, o.force, o.channel, o.soundFont,
                       o.kind, o.input),
              std::tuple(1332, 40, true, 1, 14, "x.sf2", OutputKind::kWave, "in.plk"));
    const auto plain = std::get<ConvertOptions>(Parse("--key-signature 1298 a.plk b.mid"));
    EXPECT_EQ(plain.keySignature, 1298);
    EXPECT_FALSE(plain.bourdon);
    EXPECT_EQ(plain.kind, OutputKind::kMidi);
    EXPECT_FALSE(plain.asPlayed);
    EXPECT_TRUE(std::get<ConvertOptions>(Parse("--as-played a.plk b.mid")).asPlayed);
    EXPECT_TRUE(std::get<ConvertOptions>(Parse("--info a.plk")).info);
    EXPECT_TRUE(std::get<ConvertOptions>(Parse("-h")).help);

    for (const char* bad :
         {"", "a.plk", "a.plk b.txt", "a.plk b.mid c.mid", "--info",
          "--key-signature 1306 a.plk b.mid", "--key-signature C a.plk b.mid",
          "--program 128 a.plk b.mid", "--force 0 a.plk b.wav", "--track 16 a.plk b.wav",
          "--track 1x a.plk b.wav", "--bourdon yes a.plk b.mid", "--loud a.plk b.mid",
          "a.plk b.mid --program", "--as-played a.plk b.wav", "--as-played --info a.plk"}) {
        EXPECT_TRUE(std::holds_alternative<UsageError>(Parse(bad))) << bad;
    }
}

}  // namespace
}  // namespace plinkora::testing
