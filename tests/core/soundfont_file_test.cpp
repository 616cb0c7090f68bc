#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <vector>

#include "engine/devices/builtin_synth.h"
#include "engine/midi_output.h"

namespace plinkora::testing {
namespace {

constexpr const char* kSoundFont = PLINKORA_TEST_SOUNDFONT;
constexpr int kRate = BuiltInSynth::kOfflineSampleRate;
constexpr int kViolin = 40;

double Rms(const std::vector<float>& s, size_t from, size_t to) {
    double sum = 0;
    for (size_t i = from; i < to; ++i) {
        sum += static_cast<double>(s[i]) * s[i];
    }
    return std::sqrt(sum / static_cast<double>(to - from));
}

std::vector<float> Render(BuiltInSynth& synth, double seconds) {
    std::vector<float> out(2 * static_cast<size_t>(seconds * kRate));
    synth.Render(out.data(), static_cast<int>(out.size() / 2));
    return out;
}

// What the user or the system may do to a SoundFont file while the program plays it.
enum class Damage { Deleted, TruncatedToHalf, OverwrittenWithText, ReplacedByRename };

void Inflict(Damage damage, const std::filesystem::path& file) {
    switch (damage) {
        case Damage::Deleted:
            std::filesystem::remove(file);
            break;
        case Damage::TruncatedToHalf:
            std::filesystem::resize_file(file, std::filesystem::file_size(file) / 2);
            break;
        case Damage::OverwrittenWithText:
            std::ofstream(file, std::ios::trunc) << "not a SoundFont any more";
            break;
        case Damage::ReplacedByRename: {
            const auto next = file.string() + ".new";
            std::ofstream(next) << "a package upgrade's half-written file";
            std::filesystem::rename(next, file);
            break;
        }
    }
}

class SoundFontFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!std::filesystem::exists(kSoundFont)) {
            GTEST_SKIP() << kSoundFont << " is not installed";
        }
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    const std::filesystem::path folder_ =
        std::filesystem::temp_directory_path() / ("plinkora-soundfont-" + std::to_string(getpid()));
};

// The instrument chosen after the damage is the one whose samples a lazy loader would read
// from the file only then.
TEST_F(SoundFontFileTest, WhateverHappensToTheFileUnderAPlayingSynthTheNextInstrumentPlaysAndEnds) {
    for (const Damage damage : {Damage::Deleted, Damage::TruncatedToHalf,
                                Damage::OverwrittenWithText, Damage::ReplacedByRename}) {
        SCOPED_TRACE(static_cast<int>(damage));
        const std::filesystem::path copy = folder_ / "copy.sf2";
        std::filesystem::copy_file(kSoundFont, copy,
                                   std::filesystem::copy_options::overwrite_existing);
        std::unique_ptr<BuiltInSynth> synth = BuiltInSynth::Create(copy.string(), kRate);
        ASSERT_TRUE(synth);
        synth->Send(ShortMessage(kNoteOn, 0, 60, 127));
        Render(*synth, 0.1);
        synth->Send(ShortMessage(kNoteOn, 0, 60, 0));

        Inflict(damage, copy);
        synth->Send(ShortMessage(kProgramChange, 0, kViolin, 0));
        synth->Send(ShortMessage(kNoteOn, 0, 69, 127));
        const std::vector<float> held = Render(*synth, 0.5);
        EXPECT_GT(Rms(held, held.size() / 2, held.size()), 0.01);
        synth->Send(ShortMessage(kNoteOn, 0, 69, 0));
        const std::vector<float> after = Render(*synth, 3.0);
        EXPECT_LT(Rms(after, after.size() - 2 * 4410, after.size()), 1e-4);
        std::filesystem::remove(copy);
    }
}

}  // namespace
}  // namespace plinkora::testing
