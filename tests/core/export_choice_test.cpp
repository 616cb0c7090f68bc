#include "window/export_choice.h"

#include <gtest/gtest.h>

namespace plinkora::testing {
namespace {

constexpr ExportKind kMidi = ExportKind::StandardMidi;
constexpr ExportKind kPlayed = ExportKind::MidiAsPlayed;
constexpr ExportKind kWave = ExportKind::WaveAudio;

struct Case {
    const char* typed;
    ExportKind chosen;
    const char* path;
    ExportKind kind;
};

TEST(ExportChoice, TheTypedExtensionDecidesTheKindAndANameWithoutOneGetsTheChosenTypes) {
    const Case cases[] = {
        {"/tmp/mis.wav", kMidi, "/tmp/mis.wav", kWave},
        {"/tmp/mis.WAV", kPlayed, "/tmp/mis.WAV", kWave},
        {"/tmp/mis2.mid", kWave, "/tmp/mis2.mid", kMidi},
        {"/tmp/mis2.Midi", kWave, "/tmp/mis2.Midi", kMidi},
        {"/tmp/take.mid", kPlayed, "/tmp/take.mid", kPlayed},  // as played only from the list
        {"/tmp/take", kWave, "/tmp/take.wav", kWave},
        {"/tmp/take", kPlayed, "/tmp/take.mid", kPlayed},
        {"/tmp/v1.2/take", kMidi, "/tmp/v1.2/take.mid", kMidi},  // a dot of the folder
        {"C:\\v1.2\\take", kWave, "C:\\v1.2\\take.wav", kWave},
        {"/tmp/.take", kMidi, "/tmp/.take.mid", kMidi},  // a hidden name
        {"/tmp/take.v1", kWave, "/tmp/take.v1", kWave},  // an extension of no kind
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        const std::optional<ExportChoice> decided = DecideExport({c.typed, c.chosen}, true);
        ASSERT_TRUE(decided);
        EXPECT_EQ(decided->path, c.path);
        EXPECT_EQ(decided->kind, c.kind);
    }
}

TEST(ExportChoice, ANameOfWaveAudioIsRefusedWhereNoSynthesizerWritesIt) {
    EXPECT_FALSE(DecideExport({"/tmp/mis.wav", kMidi}, false));
    const std::optional<ExportChoice> midi = DecideExport({"/tmp/take", kMidi}, false);
    ASSERT_TRUE(midi);
    EXPECT_EQ(midi->path, "/tmp/take.mid");
}

}  // namespace
}  // namespace plinkora::testing
