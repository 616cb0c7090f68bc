#pragma once

#include <functional>
#include <memory>

namespace plinkora {

// The sound an output plays, asked for on the output's own audio thread.
class AudioSource {
  public:
    virtual ~AudioSource() = default;
    // Audio thread: fills `frames` stereo frames, left[i * step] and right[i * step]. Never
    // blocks, allocates or logs. False when nothing has sounded for a while: the output may
    // sleep until Wake.
    virtual bool Fill(float* left, float* right, int step, int frames) noexcept = 0;
    // The output's sample rate, before its first Fill.
    virtual void SetSampleRate(double rate) = 0;
};

// A running connection to a sound server that plays an AudioSource. Destroying it stops the
// audio thread. Window thread, except where said.
class AudioOutput {
  public:
    virtual ~AudioOutput() = default;
    // Any thread: an event reached the source while the output sleeps.
    virtual void Wake() noexcept = 0;
    // True once the server went away; it stays true.
    virtual bool Lost() const noexcept = 0;
};

// Called once, on the audio side, when the server goes away.
using LossCallback = std::function<void()>;

// Each is null when its server does not answer; each may wait on its server, so they are called
// off the window thread. rate is the rate asked for; the source is told the one granted.
// serverFound tells, on failure, whether a PulseAudio server was there at all (a frozen or
// failing one) rather than none. OpenPipeWireOutput's serverFound is true only for a PipeWire that
// carries sound: one without any audio sink leaves the sound to a PulseAudio server.
std::unique_ptr<AudioOutput> OpenPipeWireOutput(AudioSource& source, double rate, LossCallback lost,
                                                bool& serverFound);
std::unique_ptr<AudioOutput> OpenPulseOutput(AudioSource& source, double rate, LossCallback lost,
                                             bool& serverFound);
std::unique_ptr<AudioOutput> OpenJackOutput(AudioSource& source, LossCallback lost);

}  // namespace plinkora
