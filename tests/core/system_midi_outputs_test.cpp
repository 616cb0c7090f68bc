#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>

#include "engine/builtin_synth.h"
#include "engine/midi_output.h"
#include "engine/midi_ports.h"

namespace plinkora::testing {
namespace {

constexpr const char* kSoundFont = PLINKORA_TEST_SOUNDFONT;

// Sets an environment variable for the life of a test.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            old_ = old;
        }
        setenv(name, value, 1);
    }
    ~ScopedEnv() {
        if (old_) {
            setenv(name_, old_->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }

  private:
    const char* name_;
    std::optional<std::string> old_;
};

std::vector<uint8_t> OnTheWire(uint32_t word) {
    std::array<uint8_t, 3> bytes;
    const size_t length = WireBytes(word, bytes);
    return {bytes.begin(), bytes.begin() + length};
}

using Bytes = std::vector<uint8_t>;

TEST(MidiPortMessages, EachMessageGoesOutWithItsOwnLength) {
    EXPECT_EQ(OnTheWire(ShortMessage(kNoteOn, 2, 60, 127)), (Bytes{0x92, 60, 127}));
    EXPECT_EQ(OnTheWire(ShortMessage(kControlChange, 15, 123, 0)), (Bytes{0xBF, 123, 0}));
    EXPECT_EQ(OnTheWire(ShortMessage(kPitchBend, 0, 0x7F, 0x3F)), (Bytes{0xE0, 0x7F, 0x3F}));
    // A third byte after a program change would be taken as a running-status program change.
    EXPECT_EQ(OnTheWire(ShortMessage(kProgramChange, 15, 40, 0)), (Bytes{0xCF, 40}));
    EXPECT_EQ(OnTheWire(0xF8), Bytes{0xF8});
}

TEST(MidiPortMessages, MalformedWordsSendNothing) {
    EXPECT_TRUE(OnTheWire(0x7F3C).empty());                            // no status byte
    EXPECT_TRUE(OnTheWire(0xF0).empty());                              // system exclusive
    EXPECT_TRUE(OnTheWire(ShortMessage(kNoteOn, 0, 200, 1)).empty());  // data byte > 127
}

TEST(SystemMidiOutputs, WithoutMidiSystemOnlyTheSynthesizerIsListedAndNothingIsPrinted) {
    if (!std::filesystem::exists(kSoundFont)) {
        GTEST_SKIP() << kSoundFont << " is not installed";
    }
    if (std::filesystem::exists("/dev/snd/seq")) {
        GTEST_SKIP() << "this machine has an ALSA sequencer, which may list ports";
    }
    ScopedEnv soundFont("PLINKORA_SOUNDFONT", kSoundFont);
    ::testing::internal::CaptureStderr();
    std::unique_ptr<MidiOutputs> outputs = CreateSystemMidiOutputs();
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");

    EXPECT_FALSE(outputs->MapperName());
    ASSERT_EQ(outputs->Count(), 1);
    EXPECT_EQ(outputs->Name(0), "Plinkora Synthesizer");
    EXPECT_EQ(outputs->Name(1), "");
    EXPECT_EQ(outputs->Open(1), nullptr);
}

TEST(SystemMidiOutputs, SynthesizerWithoutAudioOutputFailsToOpenQuicklyAndQuietly) {
    if (!std::filesystem::exists(kSoundFont)) {
        GTEST_SKIP() << kSoundFont << " is not installed";
    }
    if (std::filesystem::exists("/dev/snd")) {
        GTEST_SKIP() << "this machine has a sound card, which ALSA may open";
    }
    ScopedEnv soundFont("PLINKORA_SOUNDFONT", kSoundFont);
    ScopedEnv noPulse("PULSE_SERVER", "unix:/nonexistent/plinkora-test-pulse");
    ScopedEnv noJack("JACK_DEFAULT_SERVER", "plinkora-test-no-jack");
    std::vector<std::string> log;
    std::unique_ptr<MidiOutputs> outputs =
        CreateSystemMidiOutputs([&log](const std::string& line) { log.push_back(line); });

    ::testing::internal::CaptureStderr();
    EXPECT_EQ(outputs->Open(0), nullptr);  // the first opening also waits for the SoundFont
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(outputs->Open(0), nullptr);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_FALSE(log.empty());
}

}  // namespace
}  // namespace plinkora::testing
