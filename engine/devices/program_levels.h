#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

// FluidSynth's settings, declared as its own header does.
typedef struct _fluid_hashtable_t fluid_settings_t;

namespace plinkora {

// How loud one note at full force sounds in a program at volume 100%: the peaks, in dBFS, of
// middle C alone and with the bourdon's note an octave lower.
struct ProgramPeaks {
    double alone = -120;
    double withBourdon = -120;
};

// How far a program so loud is turned down at a volume (1 is 100%): at 100% one note sounds no
// louder than the piano, and with its bourdon no higher than 1 dB below the limiter's ceiling; at
// any volume one note alone stays 2 dB below the ceiling, so the limiter does not act on it.
double ProgramAttenuation(const ProgramPeaks& peaks, double volume);

// How loud each of the 128 General MIDI programs of a SoundFont sounds, measured once the
// SoundFont is loaded, on a synthesizer of its own in the background. A General MIDI SoundFont's
// programs differ by 10 dB and more; brought down before the limiter, one note never makes it
// pump. Programs asked for are measured first; the window thread never waits for a measurement,
// an offline renderer may.
class ProgramLevels {
  public:
    static constexpr int kPrograms = 128;
    // Runs on the measuring thread.
    using Meter = std::function<ProgramPeaks(int program)>;
    // Makes a meter on the measuring thread, as loading the SoundFont takes a while; an empty
    // one when it cannot, and then every program counts as measured without a level.
    using MakeMeter = std::function<Meter()>;

    ProgramLevels() = default;
    ~ProgramLevels();
    ProgramLevels(const ProgramLevels&) = delete;
    ProgramLevels& operator=(const ProgramLevels&) = delete;

    // Forgets what was measured; every program is measured with what make makes once the first
    // is asked for, so that loading the SoundFont again for measuring does not compete with
    // opening the audio output. The measuring before is given up without waiting for it, as is
    // this one when destroyed.
    void Start(MakeMeter make);
    // Measures program ahead of the others, unless it has been.
    void Request(int program);
    // The program's peaks, once measured; nullopt before, or when it cannot be measured.
    std::optional<ProgramPeaks> Peaks(int program) const;
    // Offline: waits until the program is measured or cannot be.
    void WaitFor(int program);
    // Changes whenever a measurement arrives, and at each start.
    uint64_t Version() const;

    struct State;  // shared with the measuring thread, which may end after this

  private:
    void Launch();
    void Stop();

    std::shared_ptr<State> state_;
    MakeMeter waiting_;  // until the first request
    uint64_t starts_ = 0;
};

// A meter that plays the notes on a FluidSynth of its own set up by configure like the one that
// plays. It loads the SoundFont whole, so that nothing done to the file later can reach it.
ProgramLevels::MakeMeter SoundFontMeter(std::string soundFont,
                                        void (*configure)(fluid_settings_t*, double));

}  // namespace plinkora
