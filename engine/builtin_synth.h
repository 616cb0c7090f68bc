#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "engine/midi_device.h"

namespace plinkora {

// The SoundFont for the built-in synthesizer: $PLINKORA_SOUNDFONT, then the system's default
// General MIDI SoundFont. None when neither exists.
std::optional<std::string> FindSoundFont();

// A General MIDI synthesizer inside the process (FluidSynth). It renders offline into buffers,
// or plays through the system's sound server once StartAudio succeeds.
class BuiltInSynth {
  public:
    static constexpr int kOfflineSampleRate = 44100;

    // Null when the SoundFont cannot be loaded. sampleRate applies to audio and rendering.
    static std::unique_ptr<BuiltInSynth> Create(const std::string& soundFontPath,
                                                double sampleRate = 48000.0);
    ~BuiltInSynth();
    BuiltInSynth(const BuiltInSynth&) = delete;
    BuiltInSynth& operator=(const BuiltInSynth&) = delete;

    // Window thread. Plays one packed short message, waking a sleeping output.
    bool Send(uint32_t word) noexcept;
    // Offline: the next frames as interleaved stereo floats (frames x 2 values).
    void Render(float* interleaved, int frames);
    // Opens the first audio output that answers (PipeWire/PulseAudio, JACK if its server runs,
    // ALSA) with a short buffer. False when none can be opened. lost is called once, on the
    // audio side, when the output's server goes away. Window thread, as are the three below.
    bool StartAudio(std::function<void()> lost = {});
    void StopAudio();
    bool AudioRunning() const;
    // True once the running output's server went away; StopAudio, then StartAudio again.
    bool AudioLost() const;
    double SampleRate() const;

    struct Impl;

  private:
    explicit BuiltInSynth(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace plinkora
