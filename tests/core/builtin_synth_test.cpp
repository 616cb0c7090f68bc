#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <vector>

#include "engine/bourdon.h"
#include "engine/builtin_synth.h"
#include "engine/controls.h"
#include "engine/key_handling.h"
#include "engine/midi_output.h"
#include "engine/performance.h"

namespace plinkora::testing {
namespace {

constexpr const char* kSoundFont = PLINKORA_TEST_SOUNDFONT;
constexpr double kRate = BuiltInSynth::kOfflineSampleRate;
constexpr uint32_t kKeyA = 30;
constexpr int kOrgan = 16;

// The synthesizer as the machine's only MIDI output, rendered offline. With onlyChannel set it
// hears nothing but that channel.
class OfflineSynthOutputs final : public MidiOutputs {
  public:
    explicit OfflineSynthOutputs(BuiltInSynth& synth, int onlyChannel = -1)
        : synth_(synth), onlyChannel_(onlyChannel) {}

    int Count() const override { return 1; }
    std::optional<std::string> MapperName() const override { return std::nullopt; }
    std::string Name(int32_t) const override { return "Offline synthesizer"; }
    std::unique_ptr<MidiDevice> Open(int32_t) override {
        return std::make_unique<Device>(synth_, onlyChannel_);
    }

  private:
    class Device final : public MidiDevice {
      public:
        Device(BuiltInSynth& synth, int onlyChannel) : synth_(synth), onlyChannel_(onlyChannel) {}
        bool Send(uint32_t word) noexcept override {
            if (onlyChannel_ >= 0 && static_cast<int>(word & 0x0F) != onlyChannel_) {
                return true;
            }
            return synth_.Send(word);
        }

      private:
        BuiltInSynth& synth_;
        int onlyChannel_;
    };

    BuiltInSynth& synth_;
    int onlyChannel_;
};

// Amplitude of the sine at freq in a Hann-windowed signal (Goertzel).
double Amplitude(const std::vector<float>& signal, double freq) {
    const size_t n = signal.size();
    const double coefficient = 2 * std::cos(2 * std::numbers::pi * freq / kRate);
    double s1 = 0, s2 = 0;
    for (size_t i = 0; i < n; ++i) {
        const double window = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * i / (n - 1));
        const double s0 = signal[i] * window + coefficient * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    const double power = s1 * s1 + s2 * s2 - coefficient * s1 * s2;
    return 4 * std::sqrt(std::max(power, 0.0)) / n;
}

double Cents(double freq, double reference) {
    return 1200 * std::log2(freq / reference);
}

// The note sounding near freq is freq itself: the strongest frequency within six semitones is
// within 30 cents of it, it is clearly audible, and nothing an octave lower sounds with it.
::testing::AssertionResult SoundsAt(const std::vector<float>& signal, double freq) {
    double peak = freq, peakLevel = 0;
    for (int cents = -600; cents <= 600; cents += 5) {
        const double candidate = freq * std::exp2(cents / 1200.0);
        if (const double level = Amplitude(signal, candidate); level > peakLevel) {
            peak = candidate;
            peakLevel = level;
        }
    }
    if (std::abs(Cents(peak, freq)) > 30) {
        return ::testing::AssertionFailure()
               << "the strongest frequency near " << freq << " Hz is " << peak << " Hz";
    }
    if (peakLevel < 0.005) {
        return ::testing::AssertionFailure() << freq << " Hz is too faint: " << peakLevel;
    }
    if (const double below = Amplitude(signal, freq / 2); below > 0.1 * peakLevel) {
        return ::testing::AssertionFailure()
               << "an octave lower sounds too: " << below << " against " << peakLevel;
    }
    return ::testing::AssertionSuccess();
}

double Rms(const std::vector<float>& signal, size_t from) {
    double sum = 0;
    for (size_t i = from; i < signal.size(); ++i) {
        sum += signal[i] * signal[i];
    }
    return std::sqrt(sum / static_cast<double>(signal.size() - from));
}

class BuiltInSynthTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!std::filesystem::exists(kSoundFont)) {
            GTEST_SKIP() << kSoundFont << " is not installed";
        }
        synth = BuiltInSynth::Create(kSoundFont, kRate);
        ASSERT_TRUE(synth);
    }

    // Opens the synthesizer as the program does at start-up.
    void Open(Performance& p) {
        ResolveDefaultDevice(p);
        ASSERT_TRUE(OpenMidiDeviceAtStartup(p));
    }

    // The left channel of the next stretch of sound.
    std::vector<float> Render(double seconds) {
        const int frames = static_cast<int>(seconds * kRate);
        std::vector<float> stereo(2 * static_cast<size_t>(frames));
        synth->Render(stereo.data(), frames);
        std::vector<float> left(frames);
        for (int i = 0; i < frames; ++i) {
            left[i] = stereo[2 * static_cast<size_t>(i)];
        }
        return left;
    }

    std::unique_ptr<BuiltInSynth> synth;
};

TEST_F(BuiltInSynthTest, KeyASoundsMiddleCInCMajor) {
    OfflineSynthOutputs outputs(*synth);
    Performance p(outputs);
    Open(p);
    PlayKey(p, kKeyDown, KeyParam(kKeyA));
    EXPECT_TRUE(SoundsAt(Render(0.5), 261.63));
}

TEST_F(BuiltInSynthTest, KeyASoundsDInDMajor) {
    OfflineSynthOutputs outputs(*synth);
    Performance p(outputs);
    Open(p);
    ChooseKeySignature(p, 1298);
    PlayKey(p, kKeyDown, KeyParam(kKeyA));
    EXPECT_TRUE(SoundsAt(Render(0.5), 293.66));
}

TEST_F(BuiltInSynthTest, BourdonSoundsAnOctaveLowerOnItsOwnChannel) {
    OfflineSynthOutputs outputs(*synth, kBourdonChannel);
    Performance p(outputs);
    Open(p);
    ToggleBourdon(p);
    PlayKey(p, kKeyDown, KeyParam(kKeyA));
    EXPECT_TRUE(SoundsAt(Render(0.5), 130.81));
}

TEST_F(BuiltInSynthTest, EscapeSilencesASustainedNote) {
    OfflineSynthOutputs outputs(*synth);
    Performance p(outputs);
    Open(p);
    ChooseInstrument(p, kFirstInstrumentCommand + kOrgan);
    PlayKey(p, kKeyDown, KeyParam(kKeyA));
    const std::vector<float> held = Render(1.0);
    const double heldLevel = Rms(held, held.size() - 4410);
    EXPECT_GT(heldLevel, 0.01);

    PressEscape(p);
    const std::vector<float> after = Render(2.0);
    EXPECT_LT(Rms(after, after.size() - 11025), 1e-4 * heldLevel);
}

TEST_F(BuiltInSynthTest, AFileThatIsNoSoundFontLoadsNothingAndSaysSoOnlyToTheLog) {
    const std::filesystem::path bogus =
        std::filesystem::temp_directory_path() / "plinkora_not_a_soundfont.sf2";
    std::ofstream(bogus) << "RIFF but not really";
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(BuiltInSynth::Create(bogus.string()));
    EXPECT_FALSE(BuiltInSynth::Create("/nonexistent/plinkora.sf2"));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    std::filesystem::remove(bogus);
}

}  // namespace
}  // namespace plinkora::testing
