#include "engine/builtin_synth.h"

#include <fluidsynth.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "engine/audio_output.h"
#include "engine/silence_gate.h"
#include "engine/sound_libraries.h"

namespace plinkora {

namespace {

// FluidSynth's default gain of 0.2 is quiet beside other programs. At 0.5 a four-note chord at
// full force, doubled by the bourdon, stays below full scale with three programs in four.
constexpr double kGain = 0.5;
// ALSA, the last resort, goes through FluidSynth's own driver: 4 periods of 64 frames.
constexpr int kPeriodSize = 64;
constexpr int kPeriods = 4;
// Once this long has sounded below hearing, the output stops asking for sound: FluidSynth's
// reverberation has died away well before.
constexpr double kSleepAfterSeconds = 3.0;

bool IsReadableFile(const char* path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error) &&
           std::ifstream(path, std::ios::binary).is_open();
}

void Configure(fluid_settings_t* settings, double sampleRate) {
    fluid_settings_setnum(settings, "synth.sample-rate", sampleRate);
    fluid_settings_setnum(settings, "synth.gain", kGain);
    // Loads only the samples of the programs in use: a large SoundFont (the 148 MB FluidR3)
    // then opens in about 0.1 s instead of 0.5 s; a new program loads its samples when chosen.
    fluid_settings_setint(settings, "synth.dynamic-sample-loading", 1);
    fluid_settings_setint(settings, "audio.period-size", kPeriodSize);
    fluid_settings_setint(settings, "audio.periods", kPeriods);
    fluid_settings_setstr(settings, "audio.driver", "alsa");
}

// FluidSynth's ALSA driver renders on its own thread, without ever sleeping or being lost.
class AlsaOutput final : public AudioOutput {
  public:
    explicit AlsaOutput(fluid_audio_driver_t* driver) : driver_(driver) {}
    ~AlsaOutput() override { delete_fluid_audio_driver(driver_); }
    void Wake() noexcept override {}
    bool Lost() const noexcept override { return false; }

  private:
    fluid_audio_driver_t* driver_;
};

// Plays one packed short message; false when FluidSynth refused it or it is no MIDI.
bool Deliver(fluid_synth_t* synth, uint32_t word) {
    if (word & 0x808000) {
        return false;  // data bytes above 127 are no MIDI
    }
    const int status = word & 0xFF;
    const int channel = status & 0x0F;
    const int data1 = (word >> 8) & 0xFF;
    const int data2 = (word >> 16) & 0xFF;
    switch (status & 0xF0) {
        case 0x80:
            // FluidSynth fails a note off for a note that no longer sounds; it was delivered.
            fluid_synth_noteoff(synth, channel, data1);
            return true;
        case 0x90:
            if (data2 == 0) {
                fluid_synth_noteoff(synth, channel, data1);
                return true;
            }
            return fluid_synth_noteon(synth, channel, data1, data2) == FLUID_OK;
        case 0xA0:
            return fluid_synth_key_pressure(synth, channel, data1, data2) == FLUID_OK;
        case 0xB0:
            return fluid_synth_cc(synth, channel, data1, data2) == FLUID_OK;
        case 0xC0:
            return fluid_synth_program_change(synth, channel, data1) == FLUID_OK;
        case 0xD0:
            return fluid_synth_channel_pressure(synth, channel, data1) == FLUID_OK;
        case 0xE0:
            return fluid_synth_pitch_bend(synth, channel, data1 | data2 << 7) == FLUID_OK;
        default:
            return false;  // system messages and stray data bytes
    }
}

}  // namespace

std::optional<std::string> FindSoundFont() {
    if (const char* chosen = std::getenv("PLINKORA_SOUNDFONT"); chosen && IsReadableFile(chosen)) {
        return std::string(chosen);
    }
    static const char* const kSystemSoundFonts[] = {
        "/usr/share/sounds/sf2/default-GM.sf2",  // Debian and Ubuntu: the chosen GM SoundFont
        "/usr/share/soundfonts/default.sf2",     // Fedora, Arch
        "/usr/share/sounds/sf2/FluidR3_GM.sf2",  // fluid-soundfont-gm
        "/usr/share/soundfonts/FluidR3_GM.sf2",  // Arch's soundfont-fluid
        "/usr/share/sounds/sf2/TimGM6mb.sf2",    // timgm6mb-soundfont, small
        "/usr/share/sounds/sf2/default.sf2",
    };
    for (const char* path : kSystemSoundFonts) {
        if (IsReadableFile(path)) {
            return std::string(path);
        }
    }
    return std::nullopt;
}

struct BuiltInSynth::Impl final : AudioSource {
    ~Impl() override {
        output.reset();
        if (synth) {
            delete_fluid_synth(synth);
        }
        if (settings) {
            delete_fluid_settings(settings);
        }
    }

    bool Fill(float* left, float* right, int step, int frames) noexcept override {
        const uint64_t events = gate.BeforeRender();
        fluid_synth_write_float(synth, frames, left, 0, step, right, 0, step);
        float peak = 0;
        for (int i = 0; i < frames * step; i += step) {
            peak = std::max({peak, std::abs(left[i]), std::abs(right[i])});
        }
        return !gate.AfterRender(events, peak, frames);
    }

    void SetSampleRate(double rate) override {
        if (rate != sampleRate) {
// Deprecated for a setting that must be made before the synthesizer exists; a JACK server's
// rate is known only once connected, and the call still works in FluidSynth 2.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
            fluid_synth_set_sample_rate(synth, static_cast<float>(rate));
#pragma GCC diagnostic pop
            sampleRate = rate;
        }
        gate.SetSleepAfter(static_cast<int64_t>(kSleepAfterSeconds * rate));
    }

    // Ends quickly, with null, when no server or device answers. PipeWire answers through its
    // PulseAudio server; ALSA's default device is the last resort.
    std::unique_ptr<AudioOutput> OpenOutput(const LossCallback& lost) {
        if (auto pulse = OpenPulseOutput(*this, sampleRate, lost)) {
            return pulse;
        }
        if (JackServerRunning()) {
            if (auto jack = OpenJackOutput(*this, lost)) {
                return jack;
            }
        }
        gate.SetSleepAfter(0);
        if (fluid_audio_driver_t* alsa = new_fluid_audio_driver(settings, synth)) {
            return std::make_unique<AlsaOutput>(alsa);
        }
        return nullptr;
    }

    fluid_settings_t* settings = nullptr;
    fluid_synth_t* synth = nullptr;
    std::unique_ptr<AudioOutput> output;  // set while audio runs; the window thread owns it
    SilenceGate gate;
    double sampleRate = 0;
};

BuiltInSynth::BuiltInSynth(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

BuiltInSynth::~BuiltInSynth() = default;

std::unique_ptr<BuiltInSynth> BuiltInSynth::Create(const std::string& soundFontPath,
                                                   double sampleRate) {
    PrepareSoundLibraries();
    auto impl = std::make_unique<Impl>();
    impl->sampleRate = sampleRate;
    impl->settings = new_fluid_settings();
    if (!impl->settings) {
        return nullptr;
    }
    Configure(impl->settings, sampleRate);
    // Only the synthesizer: FluidSynth makes a MIDI driver, shell or server only when asked.
    impl->synth = new_fluid_synth(impl->settings);
    if (!impl->synth || fluid_synth_sfload(impl->synth, soundFontPath.c_str(), 1) == FLUID_FAILED) {
        return nullptr;
    }
    return std::unique_ptr<BuiltInSynth>(new BuiltInSynth(std::move(impl)));
}

bool BuiltInSynth::Send(uint32_t word) noexcept {
    const bool delivered = Deliver(impl_->synth, word);
    if (impl_->gate.Event() && impl_->output) {
        impl_->output->Wake();
    }
    return delivered;
}

void BuiltInSynth::Render(float* interleaved, int frames) {
    if (frames <= 0) {
        return;
    }
    // The audio thread is the renderer while audio runs; a second one would corrupt both.
    if (impl_->output) {
        std::fill(interleaved, interleaved + 2 * frames, 0.0f);
        return;
    }
    fluid_synth_write_float(impl_->synth, frames, interleaved, 0, 2, interleaved, 1, 2);
}

bool BuiltInSynth::StartAudio(LossCallback lost) {
    if (!impl_->output) {
        impl_->output = impl_->OpenOutput(lost);
    }
    return impl_->output != nullptr;
}

void BuiltInSynth::StopAudio() {
    impl_->output.reset();
    // Notes dying away and the reverberation would otherwise resume where they stopped at the
    // next start: the notes end now, and the reverberation fades in a second rendered unheard.
    fluid_synth_all_sounds_off(impl_->synth, -1);
    std::array<float, 2 * 1024> discarded;
    for (double frames = 0; frames < impl_->sampleRate; frames += 1024) {
        fluid_synth_write_float(impl_->synth, 1024, discarded.data(), 0, 2, discarded.data(), 1, 2);
    }
}

bool BuiltInSynth::AudioRunning() const {
    return impl_->output != nullptr;
}

bool BuiltInSynth::AudioLost() const {
    return impl_->output && impl_->output->Lost();
}

double BuiltInSynth::SampleRate() const {
    return impl_->sampleRate;
}

}  // namespace plinkora
