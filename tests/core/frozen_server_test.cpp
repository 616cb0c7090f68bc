#include <gtest/gtest.h>
#include <jack/jack.h>
#include <jack/midiport.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "dummy_jack.h"
#include "engine/devices/background_work.h"
#include "engine/devices/builtin_synth.h"
#include "engine/devices/system_midi_outputs.h"
#include "engine/key_handling.h"
#include "engine/midi_output.h"

namespace plinkora::testing {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr const char* kSoundFont = PLINKORA_TEST_SOUNDFONT;
// Far below the many seconds a frozen server holds a call, far above a busy machine's
// scheduling: what the window thread may never wait.
constexpr auto kNoWait = 500ms;

Clock::duration TimeOf(const std::function<void()>& call) {
    const auto start = Clock::now();
    call();
    return Clock::now() - start;
}

bool Eventually(const std::function<bool()>& condition, Clock::duration limit = 5s) {
    const auto deadline = Clock::now() + limit;
    while (!condition()) {
        if (Clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

// A JACK server of the test's own, frozen and thawed by the tests, with no PulseAudio beside
// it, so that the synthesizer plays through JACK.
class FrozenServer : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!std::filesystem::exists(kSoundFont)) {
            GTEST_SKIP() << kSoundFont << " is not installed";
        }
        if (!jack_->Client()) {
            GTEST_SKIP() << "jackd could not start a dummy server";
        }
    }
    void TearDown() override {
        jack_->Thaw();
        EXPECT_TRUE(WaitForBackgroundWork(5s)) << "a closing still waits on the thawed server";
    }

    struct NoPulse {
        NoPulse() {
            setenv("PULSE_SERVER", "unix:/nonexistent/plinkora-test-pulse", 1);
            setenv("PIPEWIRE_REMOTE", "plinkora-test-no-pipewire", 1);
        }
        ~NoPulse() {
            unsetenv("PULSE_SERVER");
            unsetenv("PIPEWIRE_REMOTE");
        }
    } noPulse_;
    std::unique_ptr<DummyJack> jack_ = std::make_unique<DummyJack>();
};

TEST_F(FrozenServer, HoldsNeitherTheSynthesizersClosingNorItsOpeningAndIsLostUntilItAnswers) {
    std::unique_ptr<BuiltInSynth> synth = BuiltInSynth::Create(kSoundFont);
    ASSERT_TRUE(synth);
    std::atomic<int> reports{0};
    const auto report = [&reports] { ++reports; };
    ASSERT_TRUE(synth->StartAudio(report));
    ASSERT_TRUE(Eventually([&] { return synth->AudioReady(); }));

    jack_->Freeze();
    EXPECT_LT(TimeOf([&] { synth->StopAudio(); }), kNoWait);
    bool started = false;
    EXPECT_LT(TimeOf([&] { started = synth->StartAudio(report); }), kNoWait);
    // Either refused at once or opening in the background: never heard, so lost in the end.
    if (started) {
        EXPECT_TRUE(Eventually([&] { return synth->AudioLost(); }, 3s));
        EXPECT_GT(reports, 0);
        synth->StopAudio();
    }

    jack_->Thaw();
    EXPECT_TRUE(Eventually([&] {
        if (!synth->AudioRunning() || synth->AudioLost()) {
            synth->StopAudio();
            synth->StartAudio(report);
        }
        return synth->AudioReady();
    })) << "the synthesizer did not come back with its server";
    synth->StopAudio();
}

// The own port of the outputs, found by its name.
int32_t OwnPort(const MidiOutputs& outputs) {
    for (int32_t id = 0; id < outputs.Count(); ++id) {
        if (outputs.Name(id) == "Plinkora output port") {
            return id;
        }
    }
    return -1;
}

bool PortListed(jack_client_t* client, const char* name) {
    return jack_port_by_name(client, name) != nullptr;
}

TEST_F(FrozenServer, HoldsNeitherTheOwnPortsClosingNorItsOpeningAndThePortComesBackByItsName) {
    std::unique_ptr<MidiOutputs> outputs = CreateSystemMidiOutputs();
    const int32_t ownPort = OwnPort(*outputs);
    if (ownPort < 0 || std::filesystem::exists("/dev/snd/seq")) {
        GTEST_SKIP() << "the own port is not offered on JACK here";
    }
    std::unique_ptr<MidiDevice> device = outputs->Open(ownPort);
    ASSERT_TRUE(device);
    ASSERT_TRUE(Eventually([&] { return device->Ready(); }));

    jack_->Freeze();
    EXPECT_LT(TimeOf([&] { device.reset(); }), kNoWait);
    EXPECT_LT(TimeOf([&] { device = outputs->Open(ownPort); }), kNoWait);
    // A reopening that came before the closing shares the port, whose words wait for the
    // server; one that has to open the port anew waits on the server, and is lost in the end.
    if (device && !device->Ready()) {
        EXPECT_TRUE(Eventually([&] { return device->Lost(); }, 3s));
    }
    EXPECT_LT(TimeOf([&] { device.reset(); }), kNoWait);

    jack_->Thaw();
    EXPECT_TRUE(Eventually([&] {
        if (!device || device->Lost()) {
            device = outputs->Open(ownPort);
        }
        return device && device->Ready() && !device->Lost();
    })) << "the port did not come back with its server";
    EXPECT_TRUE(PortListed(jack_->Client(), "Plinkora:midi_out"));
}

// Reads what reaches a MIDI input port of the test's own client.
class MidiReader {
  public:
    explicit MidiReader(jack_client_t* client) : client_(client) {
        port_ = jack_port_register(client, "reader", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
        jack_set_process_callback(client, &MidiReader::Process, this);
        jack_activate(client);
    }
    ~MidiReader() { jack_deactivate(client_); }
    bool Connect(const char* source) {
        return jack_connect(client_, source, jack_port_name(port_)) == 0;
    }
    std::vector<std::vector<uint8_t>> Messages() {
        std::lock_guard lock(mutex_);
        return messages_;
    }

  private:
    static int Process(jack_nframes_t frames, void* self) {
        auto& reader = *static_cast<MidiReader*>(self);
        void* buffer = jack_port_get_buffer(reader.port_, frames);
        std::lock_guard lock(reader.mutex_);  // a test's reader may wait a little
        for (uint32_t i = 0, n = jack_midi_get_event_count(buffer); i < n; ++i) {
            jack_midi_event_t event;
            if (jack_midi_event_get(&event, buffer, i) == 0) {
                reader.messages_.emplace_back(event.buffer, event.buffer + event.size);
            }
        }
        return 0;
    }

    jack_client_t* client_;
    jack_port_t* port_ = nullptr;
    std::mutex mutex_;
    std::vector<std::vector<uint8_t>> messages_;
};

// Keys typed while the server is frozen fill the port's queue; every note that got out must
// be silenced once the server answers again.
TEST_F(FrozenServer, EveryNoteOnThatGotOutReachesItsNoteOffAfterAFullQueue) {
    std::unique_ptr<MidiOutputs> outputs = CreateSystemMidiOutputs();
    const int32_t ownPort = OwnPort(*outputs);
    if (ownPort < 0 || std::filesystem::exists("/dev/snd/seq")) {
        GTEST_SKIP() << "the own port is not offered on JACK here";
    }
    Performance p{*outputs};
    p.deviceId = ownPort;
    ASSERT_TRUE(OpenMidiDeviceAtStartup(p));
    ASSERT_TRUE(Eventually([&] { return p.midiOut->Ready(); }));
    MidiReader reader(jack_->Client());
    ASSERT_TRUE(reader.Connect("Plinkora:midi_out"));

    jack_->Freeze();
    constexpr uint32_t kKeys[] = {30, 31, 32, 33};  // A S D F
    for (int round = 0; round < 800; ++round) {
        for (const uint32_t key : kKeys) {
            PlayKey(p, KeyPress(key));
        }
        for (const uint32_t key : kKeys) {
            PlayKey(p, KeyRelease(key));
        }
    }
    EXPECT_FALSE(p.owedReleases.empty()) << "the queue never filled";
    jack_->Thaw();
    EXPECT_TRUE(Eventually([&] { return PayOwedReleases(p); }));

    std::map<uint8_t, int> sounding;  // note: note ons minus note offs
    EXPECT_TRUE(Eventually([&] {
        sounding.clear();
        for (const std::vector<uint8_t>& message : reader.Messages()) {
            if (message.size() == 3 && (message[0] & 0xF0) == 0x90) {
                ++sounding[message[1]];
            } else if (message.size() == 3 && (message[0] & 0xF0) == 0x80) {
                sounding[message[1]] = 0;  // a note off ends every note on of its note
            }
        }
        return !sounding.empty() && std::all_of(sounding.begin(), sounding.end(),
                                                [](const auto& note) { return note.second == 0; });
    })) << "a note was left sounding";
    CloseMidiDevice(p);
}

}  // namespace
}  // namespace plinkora::testing
