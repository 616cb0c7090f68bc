#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>

#include "engine/devices/midi_ports.h"
#include "engine/devices/system_midi_outputs.h"
#include "engine/midi_output.h"

namespace plinkora::testing {
namespace {

constexpr const char* kSoundFont = PLINKORA_TEST_SOUNDFONT;

TEST(MidiPortMessages, EachMessageGoesOutWithItsOwnLengthAndMalformedOnesNotAtAll) {
    using Bytes = std::vector<uint8_t>;
    const std::pair<uint32_t, Bytes> cases[] = {
        {ShortMessage(kNoteOn, 2, 60, 127), {0x92, 60, 127}},
        {ShortMessage(kPitchBend, 0, 0x7F, 0x3F), {0xE0, 0x7F, 0x3F}},
        // A third byte after a program change would be taken as a running-status program change.
        {ShortMessage(kProgramChange, 15, 40, 0), {0xCF, 40}},
        {0xF8, {0xF8}},
        {0x7F3C, {}},                            // no status byte
        {0xF0, {}},                              // system exclusive
        {ShortMessage(kNoteOn, 0, 200, 1), {}},  // data byte > 127
    };
    for (const auto& [word, expected] : cases) {
        std::array<uint8_t, 3> bytes;
        const size_t length = WireBytes(word, bytes);
        EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + length), expected) << std::hex << word;
    }
}

// Sets an environment variable for the life of a test.
struct ScopedEnv {
    ScopedEnv(const char* variable, const char* value) : name(variable) {
        if (const char* previous = std::getenv(name)) {
            old = previous;
        }
        setenv(name, value, 1);
    }
    ~ScopedEnv() { old ? setenv(name, old->c_str(), 1) : unsetenv(name); }
    const char* name;
    std::optional<std::string> old;
};

class SystemMidiOutputs : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!std::filesystem::exists(kSoundFont)) {
            GTEST_SKIP() << kSoundFont << " is not installed";
        }
    }
    ScopedEnv soundFont{"PLINKORA_SOUNDFONT", kSoundFont};
};

TEST_F(SystemMidiOutputs, WithoutMidiSystemOnlyTheSynthesizerIsListedAndNothingIsPrinted) {
    if (std::filesystem::exists("/dev/snd/seq")) {
        GTEST_SKIP() << "this machine has an ALSA sequencer, which may list ports";
    }
    ::testing::internal::CaptureStderr();
    std::unique_ptr<MidiOutputs> outputs = CreateSystemMidiOutputs();
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_FALSE(outputs->MapperName());
    ASSERT_EQ(outputs->Count(), 1);
    EXPECT_EQ(outputs->Name(0), "Plinkora Synthesizer");
    EXPECT_EQ(outputs->Open(1), nullptr);
}

TEST_F(SystemMidiOutputs, SynthesizerWithoutAudioOutputFailsToOpenQuicklyAndQuietly) {
    if (std::filesystem::exists("/dev/snd")) {
        GTEST_SKIP() << "this machine has a sound card, which ALSA may open";
    }
    ScopedEnv noPulse("PULSE_SERVER", "unix:/nonexistent/plinkora-test-pulse");
    ScopedEnv noPipeWire("PIPEWIRE_REMOTE", "plinkora-test-no-pipewire");
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
