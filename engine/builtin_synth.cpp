#include "engine/builtin_synth.h"

#include <fluidsynth.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string_view>

#include "engine/sound_libraries.h"

namespace plinkora {

namespace {

// FluidSynth's default gain of 0.2 is quiet beside other programs. At 0.5 a four-note chord at
// full force, doubled by the bourdon, stays below full scale with three programs in four.
constexpr double kGain = 0.5;
// 4 periods of 64 frames: at most 256 frames (5.3 ms at 48 kHz) queued before the sound card.
constexpr int kPeriodSize = 64;
constexpr int kPeriods = 4;

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
    fluid_settings_setstr(settings, "audio.jack.id", "Plinkora");
    fluid_settings_setint(settings, "audio.jack.autoconnect", 1);
}

// Ends quickly, with null, when the driver's server or device is absent.
fluid_audio_driver_t* OpenAudioDriver(fluid_settings_t* settings, fluid_synth_t* synth) {
    // PipeWire answers through its PulseAudio server; ALSA's default device is the last resort.
    for (const char* name : {"pulseaudio", "jack", "alsa"}) {
        if (std::string_view(name) == "jack" && !JackServerRunning()) {
            continue;
        }
        fluid_settings_setstr(settings, "audio.driver", name);
        if (fluid_audio_driver_t* driver = new_fluid_audio_driver(settings, synth)) {
            return driver;
        }
    }
    return nullptr;
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

struct BuiltInSynth::Impl {
    ~Impl() {
        if (driver) {
            delete_fluid_audio_driver(driver);
        }
        if (synth) {
            delete_fluid_synth(synth);
        }
        if (settings) {
            delete_fluid_settings(settings);
        }
    }

    fluid_settings_t* settings = nullptr;
    fluid_synth_t* synth = nullptr;
    fluid_audio_driver_t* driver = nullptr;  // set while audio runs; the window thread owns it
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
    if (word & 0x808000) {
        return false;  // data bytes above 127 are no MIDI
    }
    fluid_synth_t* synth = impl_->synth;
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

void BuiltInSynth::Render(float* interleaved, int frames) {
    if (frames <= 0) {
        return;
    }
    // The audio thread is the renderer while audio runs; a second one would corrupt both.
    if (impl_->driver) {
        std::fill(interleaved, interleaved + 2 * frames, 0.0f);
        return;
    }
    fluid_synth_write_float(impl_->synth, frames, interleaved, 0, 2, interleaved, 1, 2);
}

bool BuiltInSynth::StartAudio() {
    if (!impl_->driver) {
        impl_->driver = OpenAudioDriver(impl_->settings, impl_->synth);
    }
    return impl_->driver != nullptr;
}

void BuiltInSynth::StopAudio() {
    if (impl_->driver) {
        delete_fluid_audio_driver(impl_->driver);
        impl_->driver = nullptr;
    }
    // Notes dying away and the reverberation would otherwise resume where they stopped at the
    // next start: the notes end now, and the reverberation fades in a second rendered unheard.
    fluid_synth_all_sounds_off(impl_->synth, -1);
    std::array<float, 2 * 1024> discarded;
    for (double frames = 0; frames < impl_->sampleRate; frames += 1024) {
        fluid_synth_write_float(impl_->synth, 1024, discarded.data(), 0, 2, discarded.data(), 1, 2);
    }
}

bool BuiltInSynth::AudioRunning() const {
    return impl_->driver != nullptr;
}

double BuiltInSynth::SampleRate() const {
    return impl_->sampleRate;
}

}  // namespace plinkora
