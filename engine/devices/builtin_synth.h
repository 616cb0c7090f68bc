#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/midi_device.h"

namespace plinkora {

// The SoundFonts for the built-in synthesizer, best first: $PLINKORA_SOUNDFONT, then the user's
// choice (preferred), each even when it cannot be read, so that its failure can be told; then
// the system's default General MIDI SoundFonts and the others SystemSoundFonts lists. Each file
// once, whatever the links to it.
std::vector<std::string> SoundFontCandidates(const std::string& preferred = {});
// The first readable one of SoundFontCandidates; none when none is readable.
std::optional<std::string> FindSoundFont(const std::string& preferred = {});
// The General MIDI SoundFonts (.sf2, .sf3) in the system's usual folders, sorted.
std::vector<std::string> SystemSoundFonts();

// How the synthesizer sounds besides its SoundFont. volume scales the level: 1 puts one piano
// note at full force near -6 dBFS, and one note of a louder program no higher; a limiter keeps
// any chord below full scale.
struct SynthSound {
    double volume = 1.0;  // 0..2
    bool reverb = true;
    bool chorus = true;
};

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

    // Window thread. Replaces the SoundFont while notes may sound and audio runs; false, with
    // the old one kept, when the file cannot be loaded as one.
    bool ChangeSoundFont(const std::string& path);
    std::string SoundFont() const;
    // Window thread: takes effect at once.
    void SetSound(const SynthSound& sound);

    // Window thread. Plays one packed short message, waking a sleeping output.
    bool Send(uint32_t word) noexcept;
    // Window thread: while kept awake (a playback runs), the output does not go to sleep in a
    // long rest.
    void KeepAwake(bool awake) noexcept;
    // Offline: the next frames as interleaved stereo floats (frames x 2 values).
    void Render(float* interleaved, int frames);
    // Offline: the limiter's lowest gain (1 where it did not act) over what was rendered since
    // the last call.
    float TakeLowestLimiterGain();
    // Opens the first audio output that answers (PipeWire/PulseAudio, JACK if its server runs,
    // ALSA where no sound server exists) with a short buffer. The opening runs in the
    // background and is waited for only briefly: false when it failed within that wait, or while
    // a frozen server still holds an earlier opening. An opening that goes on counts as running;
    // if it fails, or does not answer within a limit, the output is lost. lost is called, on the
    // audio side, when the output's server goes away and when a slow opening ends. Window
    // thread, as are the three below; none of them waits on a server.
    bool StartAudio(std::function<void()> lost = {});
    void StopAudio();
    bool AudioRunning() const;
    // True once the output has opened and plays.
    bool AudioReady() const;
    // True once the running output's server went away, or its opening failed or did not answer
    // in time; StopAudio, then StartAudio again.
    bool AudioLost() const;
    double SampleRate() const;

    struct Impl;

  private:
    explicit BuiltInSynth(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

// A synthesizer of the first of soundFonts that loads, the ones before it added to notLoaded;
// null when none loads.
std::unique_ptr<BuiltInSynth> CreateFromFirstSoundFont(const std::vector<std::string>& soundFonts,
                                                       std::vector<std::string>& notLoaded,
                                                       double sampleRate = 48000.0);

}  // namespace plinkora
