#include <gtest/gtest.h>
#include <jack/jack.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "dummy_jack.h"
#include "engine/devices/builtin_synth.h"
#include "engine/midi_output.h"

namespace plinkora::testing {
namespace {

constexpr const char* kSoundFont = PLINKORA_TEST_SOUNDFONT;

// Where JACK runs and no PulseAudio server answers, the synthesizer plays through JACK,
// connected to the playback ports, and a server that stops is reported as lost.
TEST(BuiltInSynthOnJack, PlaysThroughConnectedPortsAndReportsTheServerStopping) {
    if (!std::filesystem::exists(kSoundFont)) {
        GTEST_SKIP() << kSoundFont << " is not installed";
    }
    setenv("PULSE_SERVER", "unix:/nonexistent/plinkora-test-pulse", 1);
    setenv("PIPEWIRE_REMOTE", "plinkora-test-no-pipewire", 1);
    DummyJack jack;
    if (!jack.Client()) {
        unsetenv("PULSE_SERVER");
        unsetenv("PIPEWIRE_REMOTE");
        GTEST_SKIP() << "jackd could not start a dummy server";
    }
    std::unique_ptr<BuiltInSynth> synth = BuiltInSynth::Create(kSoundFont);
    ASSERT_TRUE(synth);
    std::atomic<int> losses{0};
    ASSERT_TRUE(synth->StartAudio([&losses] { ++losses; }));
    for (int i = 0; i < 250 && !synth->AudioReady(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_TRUE(synth->AudioReady());
    unsetenv("PULSE_SERVER");
    unsetenv("PIPEWIRE_REMOTE");
    const int lossesWhileOpening = losses;  // a slow opening's end is reported too

    const char* const expected[][2] = {{"Plinkora:out_left", "system:playback_1"},
                                       {"Plinkora:out_right", "system:playback_2"}};
    for (const auto& [port, playback] : expected) {
        jack_port_t* output = jack_port_by_name(jack.Client(), port);
        ASSERT_NE(output, nullptr) << port;
        EXPECT_TRUE(jack_port_connected_to(output, playback)) << port << " to " << playback;
    }
    EXPECT_FALSE(synth->AudioLost());

    jack.Stop();
    for (int i = 0; i < 100 && losses == lossesWhileOpening; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_EQ(losses, lossesWhileOpening + 1);
    EXPECT_TRUE(synth->AudioLost());
    synth->StopAudio();
}

}  // namespace
}  // namespace plinkora::testing
