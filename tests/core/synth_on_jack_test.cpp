#include <fcntl.h>
#include <gtest/gtest.h>
#include <jack/jack.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "engine/builtin_synth.h"
#include "engine/midi_output.h"

extern char** environ;

namespace plinkora::testing {
namespace {

constexpr const char* kSoundFont = PLINKORA_TEST_SOUNDFONT;

// A JACK server of the test's own on the dummy backend: no sound card needed.
class DummyJack {
  public:
    DummyJack() : name_("plinkora-test-" + std::to_string(getpid())) {
        setenv("JACK_DEFAULT_SERVER", name_.c_str(), 1);
        std::string server = name_;
        const char* argv[] = {"jackd", "-n",    server.c_str(), "-d",  "dummy",
                              "-r",    "48000", "-p",           "256", nullptr};
        posix_spawn_file_actions_t quiet;
        posix_spawn_file_actions_init(&quiet);
        posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
        if (posix_spawnp(&pid_, "jackd", &quiet, nullptr, const_cast<char**>(argv), environ)) {
            pid_ = 0;
        }
        posix_spawn_file_actions_destroy(&quiet);
        for (int i = 0; pid_ && i < 100 && !client_; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            client_ = jack_client_open("plinkora-test", JackNoStartServer, nullptr);
        }
    }
    ~DummyJack() {
        if (client_) {
            jack_client_close(client_);
        }
        Stop();
        unsetenv("JACK_DEFAULT_SERVER");
    }
    void Stop() {
        if (pid_) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
            pid_ = 0;
        }
    }
    // The test's own client, null when the server did not start.
    jack_client_t* Client() const { return client_; }

  private:
    std::string name_;
    pid_t pid_ = 0;
    jack_client_t* client_ = nullptr;
};

// Where JACK runs and no PulseAudio server answers, the synthesizer plays through JACK,
// connected to the playback ports, and a server that stops is reported as lost.
TEST(BuiltInSynthOnJack, PlaysThroughConnectedPortsAndReportsTheServerStopping) {
    if (!std::filesystem::exists(kSoundFont)) {
        GTEST_SKIP() << kSoundFont << " is not installed";
    }
    setenv("PULSE_SERVER", "unix:/nonexistent/plinkora-test-pulse", 1);
    DummyJack jack;
    if (!jack.Client()) {
        unsetenv("PULSE_SERVER");
        GTEST_SKIP() << "jackd could not start a dummy server";
    }
    std::unique_ptr<BuiltInSynth> synth = BuiltInSynth::Create(kSoundFont);
    ASSERT_TRUE(synth);
    std::atomic<int> losses{0};
    ASSERT_TRUE(synth->StartAudio([&losses] { ++losses; }));
    unsetenv("PULSE_SERVER");

    const char* const expected[][2] = {{"Plinkora:out_left", "system:playback_1"},
                                       {"Plinkora:out_right", "system:playback_2"}};
    for (const auto& [port, playback] : expected) {
        jack_port_t* output = jack_port_by_name(jack.Client(), port);
        ASSERT_NE(output, nullptr) << port;
        EXPECT_TRUE(jack_port_connected_to(output, playback)) << port << " to " << playback;
    }
    EXPECT_FALSE(synth->AudioLost());

    jack.Stop();
    for (int i = 0; i < 100 && losses == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_EQ(losses, 1);
    EXPECT_TRUE(synth->AudioLost());
    synth->StopAudio();
}

}  // namespace
}  // namespace plinkora::testing
