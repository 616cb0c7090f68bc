#include "engine/devices/program_levels.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <filesystem>
#include <future>
#include <sstream>
#include <string>
#include <vector>

#include "engine/controls.h"
#include "engine/devices/builtin_synth.h"
#include "engine/instruments.h"
#include "engine/key_handling.h"
#include "engine/midi_output.h"
#include "engine/performance.h"
#include "tests/support/capturing_midi.h"

namespace plinkora::testing {
namespace {

constexpr const char* kSoundFont = PLINKORA_TEST_SOUNDFONT;
constexpr uint32_t kKeyA = 30;  // middle C

TEST(ProgramLevels, AProgramAskedForIsMeasuredAheadOfTheOthers) {
    // Shared with the measuring thread, which may end after the test.
    auto first = std::make_shared<std::atomic<int>>(-1);
    auto asked = std::make_shared<std::promise<void>>();
    ProgramLevels levels;
    levels.Start([first, loaded = asked->get_future().share()]() -> ProgramLevels::Meter {
        loaded.wait();  // the SoundFont is still loading when the program is asked for
        return [first](int program) {
            int none = -1;
            first->compare_exchange_strong(none, program);
            return ProgramPeaks{-program / 10.0, 0};
        };
    });
    levels.Request(100);
    asked->set_value();
    levels.WaitFor(100);
    EXPECT_EQ(first->load(), 100);
    EXPECT_EQ(levels.Peaks(100)->alone, -10.0);
    levels.WaitFor(5);  // the others follow
    EXPECT_EQ(levels.Peaks(5)->alone, -0.5);
}

TEST(ProgramLevels, ASoundFontThatCannotBeMeasuredLeavesEveryProgramAsItIs) {
    ProgramLevels levels;
    levels.Start([] { return ProgramLevels::Meter(); });
    levels.WaitFor(48);  // returns, with nothing measured
    EXPECT_FALSE(levels.Peaks(48));
}

// A string's release, and its chorus, must not sound on into the next program's measurement.
TEST(ProgramLevels, AProgramMeasuresTheSameWhicheverWasMeasuredBefore) {
    if (!std::filesystem::exists(kSoundFont)) {
        GTEST_SKIP() << kSoundFont << " is not installed";
    }
    const ProgramLevels::Meter meter =
        SoundFontMeter(kSoundFont, [](fluid_settings_t*, double) {})();  // FluidSynth's defaults
    ASSERT_TRUE(meter);
    const ProgramPeaks first = meter(49);  // String Ensemble 2
    meter(48);                             // String Ensemble 1, with a long release
    const ProgramPeaks again = meter(49);
    EXPECT_NEAR(again.alone, first.alone, 1.0);
    EXPECT_NEAR(again.withBourdon, first.withBourdon, 1.0);
}

// Offline at a low rate, which changes no level, so that all 128 programs take seconds.
class SingleNoteLevelTest : public ::testing::Test {
  protected:
    static constexpr double kRate = 22050;
    static constexpr double kHoldSeconds = 1.5;
    static constexpr double kAttackSeconds = 0.5;
    static constexpr int kBlock = 64;

    void SetUp() override {
        if (!std::filesystem::exists(kSoundFont)) {
            GTEST_SKIP() << kSoundFont << " is not installed";
        }
        ResolveDefaultDevice(p);
        ASSERT_TRUE(OpenMidiDeviceAtStartup(p));
        ASSERT_TRUE(synth);
    }

    void Feed() {
        for (const uint32_t word : outputs.words) {
            synth->Send(word);
        }
        outputs.words.clear();
    }

    struct Held {
        double peak = 0;     // of either side, 1 is full scale
        double swingDb = 0;  // of the limiter's gain, once the attack is over
    };

    // Holds middle C at the default force, the highest, and measures it.
    Held HoldMiddleC() {
        PlayKey(p, KeyPress(kKeyA));
        Feed();
        Held held;
        double low = 1, high = 0;
        std::vector<float> block(2 * kBlock);
        for (int b = 0; b < static_cast<int>(kHoldSeconds * kRate / kBlock); ++b) {
            synth->Render(block.data(), kBlock);
            for (const float x : block) {
                held.peak = std::max(held.peak, static_cast<double>(std::abs(x)));
            }
            const double gain = synth->TakeLowestLimiterGain();
            if (b * kBlock >= kAttackSeconds * kRate) {
                low = std::min(low, gain);
                high = std::max(high, gain);
            }
        }
        PlayKey(p, KeyRelease(kKeyA));
        // Silenced at once, and long enough for the limiter to come back before the next note.
        for (const uint32_t channel : {0u, static_cast<uint32_t>(kBourdonChannel)}) {
            synth->Send(0xB0 | channel | 120u << 8);
        }
        Feed();
        std::vector<float> rest(2 * static_cast<size_t>(0.3 * kRate));
        synth->Render(rest.data(), static_cast<int>(rest.size() / 2));
        synth->TakeLowestLimiterGain();
        held.swingDb = 20 * std::log10(high / low);
        return held;
    }

    CapturingMidiOutputs outputs;
    Performance p{outputs};
    std::unique_ptr<BuiltInSynth> synth = BuiltInSynth::Create(kSoundFont, kRate);
};

// The limiter may hold a chord down, but one note of any program, even with its bourdon an
// octave lower, keeps its level once its attack is over: the limiter's gain moves by 1 dB at
// most, where it used to swing by up to 10 dB. Alone, it does so at the loudest volume too.
TEST_F(SingleNoteLevelTest, OneHeldNoteOfEveryProgramKeepsItsLevelWithAndWithoutTheBourdon) {
    const struct {
        bool bourdon;
        double volume;
    } cases[] = {{false, 1.0}, {true, 1.0}, {false, 2.0}};
    std::ostringstream pumping;
    for (const auto& c : cases) {
        SetBourdon(p, c.bourdon);
        synth->SetSound({c.volume, true, true});
        for (int32_t program = 0; program < kProgramCount; ++program) {
            ChooseInstrument(p, program);
            const Held held = HoldMiddleC();
            if (held.swingDb > 1.0 || held.peak > 1.0) {
                pumping << "\n  " << InstrumentName(program) << (c.bourdon ? " with bourdon" : "")
                        << " at volume " << c.volume << ": swing " << held.swingDb << " dB, peak "
                        << held.peak;
            }
        }
    }
    EXPECT_EQ(pumping.str(), "");
}

// Many notes of the loudest programs at the loudest volume: the limiter holds them below full
// scale.
TEST_F(SingleNoteLevelTest, AStackOfNotesOfTheLoudestProgramsStaysBelowFullScale) {
    const uint32_t keys[] = {16, 17, 18, 19, 20, 30, 31, 32, 33, 34, 35, 36, 37, 38};
    synth->SetSound({2.0, true, true});
    SetBourdon(p, true);
    for (const int32_t program : {19, 48, 61, 81, 125}) {
        SCOPED_TRACE(InstrumentName(program));
        ChooseInstrument(p, program);
        for (const uint32_t key : keys) {
            PlayKey(p, KeyPress(key));
        }
        Feed();
        std::vector<float> sound(2 * static_cast<size_t>(kRate));
        synth->Render(sound.data(), static_cast<int>(kRate));
        double peak = 0;
        for (const float x : sound) {
            peak = std::max(peak, static_cast<double>(std::abs(x)));
        }
        EXPECT_LT(synth->TakeLowestLimiterGain(), 0.9);  // the limiter did act
        EXPECT_LT(peak, 0.9);
        PressEscape(p);
        Feed();
        for (const uint32_t channel : {0u, static_cast<uint32_t>(kBourdonChannel)}) {
            synth->Send(0xB0 | channel | 120u << 8);
        }
    }
}

}  // namespace
}  // namespace plinkora::testing
