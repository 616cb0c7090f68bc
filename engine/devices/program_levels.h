#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

// FluidSynth's settings, declared as its own header does.
typedef struct _fluid_hashtable_t fluid_settings_t;

namespace plinkora {

// How far each of the 128 General MIDI programs of a SoundFont must be turned down so that one
// note at full force sounds no louder than the piano, measured once the SoundFont is loaded, on a
// synthesizer of its own in the background. A General MIDI SoundFont's programs differ by 10 dB
// and more; brought down before the limiter, one note never makes it pump. Programs asked for are
// measured first; the window thread never waits for a measurement, an offline renderer may.
class ProgramLevels {
  public:
    static constexpr int kPrograms = 128;
    // The attenuation (dB, 0 or more) the program needs. Runs on the measuring thread.
    using Meter = std::function<double(int program)>;
    // Makes a meter on the measuring thread, as loading the SoundFont takes a while; an empty
    // one when it cannot, and then every program counts as measured without a level.
    using MakeMeter = std::function<Meter()>;

    ProgramLevels() = default;
    ~ProgramLevels();
    ProgramLevels(const ProgramLevels&) = delete;
    ProgramLevels& operator=(const ProgramLevels&) = delete;

    // Forgets what was measured and measures every program with what make makes. The
    // measuring before is given up without waiting for it, as is this one when destroyed.
    void Start(MakeMeter make);
    // Measures program ahead of the others, unless it has been.
    void Request(int program);
    // The program's attenuation, once measured; nullopt before, or when it cannot be measured.
    std::optional<double> Attenuation(int program) const;
    // Offline: waits until the program is measured or cannot be.
    void WaitFor(int program);
    // Changes whenever a measurement arrives, and at each start.
    uint64_t Version() const;

    struct State;  // shared with the measuring thread, which may end after this

  private:
    void Stop();

    std::shared_ptr<State> state_;
    uint64_t starts_ = 0;
};

// A meter that plays middle C at full force, alone and with the bourdon's note an octave lower,
// on a FluidSynth of its own set up by configure like the one that plays. It loads the SoundFont
// whole, so that nothing done to the file later can reach it.
ProgramLevels::MakeMeter SoundFontMeter(std::string soundFont,
                                        void (*configure)(fluid_settings_t*, double));

}  // namespace plinkora
