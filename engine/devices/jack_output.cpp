#include <jack/jack.h>

#include <algorithm>
#include <atomic>
#include <string>

#include "engine/devices/audio_output.h"
#include "engine/devices/sound_libraries.h"

namespace plinkora {

namespace {

// A JACK client with two audio outputs connected to the system's playback ports. JACK's own
// real-time thread renders each cycle; while the source sleeps the cycle only writes zeros.
class JackOutput final : public AudioOutput {
  public:
    JackOutput(AudioSource& source, LossCallback lost)
        : source_(source), onLost_(std::move(lost)) {}
    ~JackOutput() override {
        if (client_) {
            jack_client_close(client_);
        }
    }

    bool Open();
    void Wake() noexcept override { woken_.store(true); }
    bool Lost() const noexcept override { return lost_.load(); }

  private:
    void ConnectToPlayback();
    static int Process(jack_nframes_t frames, void* self);
    static void ShutDown(jack_status_t, const char*, void* self);

    AudioSource& source_;
    LossCallback onLost_;
    jack_client_t* client_ = nullptr;
    jack_port_t* ports_[2] = {};
    bool sleeping_ = false;  // JACK's thread
    std::atomic<bool> woken_{false};
    std::atomic<bool> lost_{false};
};

bool JackOutput::Open() {
    jack_status_t status{};
    client_ = jack_client_open("Plinkora", JackNoStartServer, &status);
    if (!client_) {
        return false;
    }
    const char* const names[] = {"out_left", "out_right"};
    for (int i = 0; i < 2; ++i) {
        ports_[i] = jack_port_register(client_, names[i], JACK_DEFAULT_AUDIO_TYPE,
                                       JackPortIsOutput | JackPortIsTerminal, 0);
        if (!ports_[i]) {
            return false;
        }
    }
    source_.SetSampleRate(jack_get_sample_rate(client_));
    jack_set_process_callback(client_, Process, this);
    jack_on_info_shutdown(client_, ShutDown, this);
    if (jack_activate(client_) != 0) {
        return false;
    }
    ConnectToPlayback();
    return true;
}

// A client of its own is heard only once connected; a system without playback ports (a
// server on its network backend, say) leaves that to the user.
void JackOutput::ConnectToPlayback() {
    const char** playback = jack_get_ports(client_, nullptr, JACK_DEFAULT_AUDIO_TYPE,
                                           JackPortIsPhysical | JackPortIsInput);
    if (!playback) {
        SoundLibraryLog("JACK has no playback ports to connect the synthesizer to");
        return;
    }
    for (int i = 0; i < 2 && playback[i]; ++i) {
        jack_connect(client_, jack_port_name(ports_[i]), playback[i]);
    }
    // A single playback port hears both sides.
    if (playback[0] && !playback[1]) {
        jack_connect(client_, jack_port_name(ports_[1]), playback[0]);
    }
    jack_free(playback);
}

int JackOutput::Process(jack_nframes_t frames, void* self) {
    auto* output = static_cast<JackOutput*>(self);
    auto* left = static_cast<float*>(jack_port_get_buffer(output->ports_[0], frames));
    auto* right = static_cast<float*>(jack_port_get_buffer(output->ports_[1], frames));
    if (output->sleeping_ && !output->woken_.exchange(false)) {
        std::fill(left, left + frames, 0.0f);
        std::fill(right, right + frames, 0.0f);
        return 0;
    }
    output->sleeping_ = !output->source_.Fill(left, right, 1, static_cast<int>(frames));
    return 0;
}

void JackOutput::ShutDown(jack_status_t, const char*, void* self) {
    auto* output = static_cast<JackOutput*>(self);
    if (!output->lost_.exchange(true) && output->onLost_) {
        output->onLost_();
    }
}

}  // namespace

std::unique_ptr<AudioOutput> OpenJackOutput(AudioSource& source, LossCallback lost) {
    auto output = std::make_unique<JackOutput>(source, std::move(lost));
    if (!output->Open()) {
        return nullptr;
    }
    return output;
}

}  // namespace plinkora
