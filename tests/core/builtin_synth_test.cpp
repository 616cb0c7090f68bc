#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <numeric>
#include <vector>

#include "engine/controls.h"
#include "engine/devices/builtin_synth.h"
#include "engine/key_handling.h"
#include "engine/midi_output.h"
#include "engine/performance.h"
#include "engine/sustain_pedal.h"
#include "tests/support/capturing_midi.h"

namespace plinkora::testing {
namespace {

constexpr const char* kSoundFont = PLINKORA_TEST_SOUNDFONT;
constexpr double kRate = BuiltInSynth::kOfflineSampleRate;
constexpr uint32_t kKeyA = 30;

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
    return 4 * std::sqrt(std::max(s1 * s1 + s2 * s2 - coefficient * s1 * s2, 0.0)) / n;
}

// The strongest frequency within six semitones of freq is within 30 cents of it, clearly
// audible, and nothing an octave lower sounds with it.
::testing::AssertionResult SoundsAt(const std::vector<float>& signal, double freq) {
    double peak = freq, peakLevel = 0;
    for (int cents = -600; cents <= 600; cents += 5) {
        const double candidate = freq * std::exp2(cents / 1200.0);
        if (const double level = Amplitude(signal, candidate); level > peakLevel) {
            peak = candidate;
            peakLevel = level;
        }
    }
    if (std::abs(1200 * std::log2(peak / freq)) > 30 || peakLevel < 0.005) {
        return ::testing::AssertionFailure() << "the strongest frequency near " << freq << " Hz is "
                                             << peak << " Hz at " << peakLevel;
    }
    if (const double below = Amplitude(signal, freq / 2); below > 0.1 * peakLevel) {
        return ::testing::AssertionFailure()
               << "an octave lower sounds too: " << below << " against " << peakLevel;
    }
    return ::testing::AssertionSuccess();
}

// Root mean square of the last `count` samples.
double TailRms(const std::vector<float>& s, size_t count) {
    return std::sqrt(std::inner_product(s.end() - count, s.end(), s.end() - count, 0.0) / count);
}

double Peak(const std::vector<float>& s) {
    double peak = 0;
    for (const float x : s) {
        peak = std::max(peak, static_cast<double>(std::abs(x)));
    }
    return peak;
}

double Decibels(double level) {
    return 20 * std::log10(level);
}

// Root mean square of the 10 ms around a moment.
double RmsAt(const std::vector<float>& s, double seconds) {
    const size_t count = static_cast<size_t>(0.01 * kRate);
    const auto start = s.begin() + static_cast<std::ptrdiff_t>(seconds * kRate);
    return std::sqrt(std::inner_product(start, start + count, start, 0.0) / count);
}

// A performance opened as at start-up whose words are fed to a synthesizer rendered offline.
struct OfflineRig {
    OfflineRig() {
        ResolveDefaultDevice(p);
        EXPECT_TRUE(OpenMidiDeviceAtStartup(p));
    }

    // Feeds the words sent so far (only those of channel, if given), then returns the left
    // channel of the next `seconds` of sound.
    std::vector<float> Render(double seconds, int channel = -1) {
        for (const uint32_t word : outputs.words) {
            if (channel < 0 || static_cast<int>(word & 0x0F) == channel) {
                synth->Send(word);
            }
        }
        outputs.words.clear();
        const size_t frames = static_cast<size_t>(seconds * kRate);
        std::vector<float> stereo(2 * frames), left(frames);
        synth->Render(stereo.data(), static_cast<int>(frames));
        for (size_t i = 0; i < frames; ++i) {
            left[i] = stereo[2 * i];
        }
        return left;
    }

    CapturingMidiOutputs outputs;
    Performance p{outputs};
    std::unique_ptr<BuiltInSynth> synth = BuiltInSynth::Create(kSoundFont, kRate);
};

class BuiltInSynthTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!std::filesystem::exists(kSoundFont)) {
            GTEST_SKIP() << kSoundFont << " is not installed";
        }
    }
};

TEST_F(BuiltInSynthTest, KeyASoundsTheKeySignaturesPitchAndItsBourdonAnOctaveLower) {
    const struct {
        int keySignature;  // 0 keeps the default, 1=C
        bool bourdon;      // heard alone on its own channel
        double hz;
    } cases[] = {{0, false, 261.63}, {1298, false, 293.66}, {0, true, 130.81}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.hz);
        OfflineRig rig;
        ASSERT_TRUE(rig.synth);
        if (c.keySignature != 0) {
            ChooseKeySignature(rig.p, c.keySignature);
        }
        SetBourdon(rig.p, c.bourdon);
        PlayKey(rig.p, KeyPress(kKeyA));
        EXPECT_TRUE(SoundsAt(rig.Render(0.5, c.bourdon ? kBourdonChannel : -1), c.hz));
    }
}

// Esc lets the release fade out; a note cut off by closing the device must not come back
// when it opens again.
TEST_F(BuiltInSynthTest, EscapeOrStoppingTheAudioSilencesASustainedNote) {
    for (const bool escape : {true, false}) {
        SCOPED_TRACE(escape ? "Esc" : "stopping the audio");
        OfflineRig rig;
        ASSERT_TRUE(rig.synth);
        ChooseInstrument(rig.p, 16);  // an organ: it never decays by itself
        PlayKey(rig.p, KeyPress(kKeyA));
        const double heldLevel = TailRms(rig.Render(escape ? 1.0 : 0.5), 4410);
        EXPECT_GT(heldLevel, 0.01);
        if (escape) {
            PressEscape(rig.p);
        } else {
            rig.synth->StopAudio();
        }
        const std::vector<float> after = rig.Render(escape ? 2.0 : 0.1);
        EXPECT_LT(TailRms(after, escape ? 11025 : 4410), 1e-4 * heldLevel);
    }
}

// Other GM keyboards put one piano note near -6 dBFS; the volume scales it.
TEST_F(BuiltInSynthTest, OnePianoNoteAtFullForcePeaksNearMinusSixDecibels) {
    for (const double volume : {1.0, 0.5}) {
        SCOPED_TRACE(volume);
        OfflineRig rig;
        ASSERT_TRUE(rig.synth);
        rig.synth->SetSound({volume, true, true});
        PlayKey(rig.p, KeyPress(kKeyA));
        const double peak = Decibels(Peak(rig.Render(1.0)));
        const double expected = -6 + Decibels(volume);
        EXPECT_NEAR(peak, expected, 3);
    }
}

TEST_F(BuiltInSynthTest, ATenNoteChordDoubledByTheBourdonNeverReachesFullScale) {
    const uint32_t chord[] = {16, 17, 18, 30, 31, 32, 33, 34, 35, 36};
    for (const int program : {0, 16, 40, 61}) {
        SCOPED_TRACE(program);
        OfflineRig rig;
        ASSERT_TRUE(rig.synth);
        rig.synth->SetSound({2.0, true, true});  // the loudest volume offered
        ChooseInstrument(rig.p, program);
        SetBourdon(rig.p, true);
        for (const uint32_t key : chord) {
            PlayKey(rig.p, KeyPress(key));
        }
        EXPECT_LT(Peak(rig.Render(2.0)), 0.9);
    }
}

// A 50 ms tap: the pedal holds it, decaying as a piano's string does, for as long as it is
// down. Within 30 dB of the strike it is still plainly heard; 40 dB down it is gone.
TEST_F(BuiltInSynthTest, APedalTapRingsOnAndWithoutThePedalItDiesAway) {
    for (const bool pedal : {true, false}) {
        SCOPED_TRACE(pedal ? "pedal" : "no pedal");
        OfflineRig rig;
        ASSERT_TRUE(rig.synth);
        if (pedal) {
            PlayKey(rig.p, KeyPress(kPedalScanCode));
        }
        PlayKey(rig.p, KeyPress(kKeyA));
        std::vector<float> sound = rig.Render(0.05);
        PlayKey(rig.p, KeyRelease(kKeyA));
        const std::vector<float> after = rig.Render(2.5);
        sound.insert(sound.end(), after.begin(), after.end());
        const double struck = RmsAt(sound, 0.04);
        if (pedal) {
            EXPECT_GT(RmsAt(sound, 2.0), 0.03 * struck);
        } else {
            EXPECT_LT(RmsAt(sound, 0.5), 0.01 * struck);
        }
    }
}

TEST_F(BuiltInSynthTest, ASoundFontThatDoesNotLoadLeavesTheOldOneSounding) {
    OfflineRig rig;
    ASSERT_TRUE(rig.synth);
    const auto bogus = std::filesystem::temp_directory_path() / "plinkora_broken_font.sf2";
    std::ofstream(bogus) << "RIFF\x10\0\0\0sfbkLIST";
    PlayKey(rig.p, KeyPress(kKeyA));
    rig.Render(0.1);
    EXPECT_FALSE(rig.synth->ChangeSoundFont(bogus.string()));
    EXPECT_FALSE(rig.synth->ChangeSoundFont("/nonexistent/plinkora.sf2"));
    EXPECT_EQ(rig.synth->SoundFont(), kSoundFont);
    EXPECT_TRUE(SoundsAt(rig.Render(0.5), 261.63));
    // Switching while a key is held: the held note ends with its release, nothing hangs.
    ASSERT_TRUE(rig.synth->ChangeSoundFont(kSoundFont));
    PlayKey(rig.p, KeyRelease(kKeyA));
    PlayKey(rig.p, KeyPress(31));
    EXPECT_TRUE(SoundsAt(rig.Render(0.5), 293.66));
    PlayKey(rig.p, KeyRelease(31));
    EXPECT_LT(TailRms(rig.Render(3.0), 4410), 1e-3);
    std::filesystem::remove(bogus);
}

TEST(BuiltInSynth, AFileThatIsNoSoundFontLoadsNothingAndSaysSoOnlyToTheLog) {
    const auto bogus = std::filesystem::temp_directory_path() / "plinkora_not_a_soundfont.sf2";
    std::ofstream(bogus) << "RIFF but not really";
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(BuiltInSynth::Create(bogus.string()));
    EXPECT_FALSE(BuiltInSynth::Create("/nonexistent/plinkora.sf2"));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    std::filesystem::remove(bogus);
}

}  // namespace
}  // namespace plinkora::testing
