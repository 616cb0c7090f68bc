#include "engine/devices/builtin_synth.h"

#include <fluidsynth.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <bitset>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "engine/devices/audio_output.h"
#include "engine/devices/background_work.h"
#include "engine/devices/peak_limiter.h"
#include "engine/devices/program_levels.h"
#include "engine/devices/silence_gate.h"
#include "engine/devices/sound_libraries.h"

namespace plinkora {

namespace {

// FluidSynth's default gain of 0.2 is quiet beside other programs. At 2.4 (volume 100%) one
// piano note at full force peaks near -6 dBFS with TimGM6mb, as other GM keyboards sound; the
// limiter after it keeps chords below full scale.
constexpr double kGain = 2.4;
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
    // FluidSynth 2.3's chorus (level 2, depth 8 ms) sounds up to 13 dB above the note itself in
    // the strings and pads and makes it beat; these are FluidSynth 2.4's own subtler defaults.
    fluid_settings_setnum(settings, "synth.chorus.level", 0.6);
    fluid_settings_setnum(settings, "synth.chorus.depth", 4.25);
    fluid_settings_setnum(settings, "synth.chorus.speed", 0.2);
    // Every sample is read while the SoundFont loads, so that nothing done to the file later
    // (deleted, truncated, replaced) reaches the sound: FluidSynth's dynamic sample loading
    // reads a program's samples only when it is chosen, and FluidSynth 2.3 crashes playing a
    // program whose samples could not be read. The price (bench/soundfont_load_bench): FluidR3
    // (148 MB) takes 154 MB and 0.3-0.45 s to load instead of 28-43 MB and 0.1 s, TimGM6mb 14 MB
    // instead of 8; in return a new program costs nothing instead of 4-11 ms of reading.
    fluid_settings_setint(settings, "synth.dynamic-sample-loading", 0);
    fluid_settings_setint(settings, "audio.period-size", kPeriodSize);
    fluid_settings_setint(settings, "audio.periods", kPeriods);
    fluid_settings_setstr(settings, "audio.driver", "alsa");
}

// What an output renders from: the synthesizer, until the output is let go. An output whose
// server froze cannot be closed at once; let go, it renders silence and never touches the
// synthesizer again, which meanwhile plays through another output or is destroyed.
class DetachableSource final : public AudioSource {
  public:
    explicit DetachableSource(AudioSource& synth) : synth_(synth) {}

    bool Fill(float* left, float* right, int step, int frames) noexcept override {
        InUse use(*this);
        if (!use.attached) {
            for (int i = 0; i < frames * step; i += step) {
                left[i] = right[i] = 0.0f;
            }
            return false;
        }
        return synth_.Fill(left, right, step, frames);
    }
    void SetSampleRate(double rate) override {
        InUse use(*this);
        if (use.attached) {
            synth_.SetSampleRate(rate);
        }
    }

    // Window thread. Waits only for a rendering already under way, never for a server.
    void Detach() noexcept {
        detached_.store(true);
        while (users_.load() > 0) {
            std::this_thread::yield();
        }
    }

  private:
    // Either Detach sees the user, or the user sees detached_: the order is sequentially
    // consistent.
    struct InUse {
        explicit InUse(DetachableSource& source) : source(source) {
            source.users_.fetch_add(1);
            attached = !source.detached_.load();
        }
        ~InUse() { source.users_.fetch_sub(1); }
        DetachableSource& source;
        bool attached;
    };

    AudioSource& synth_;
    std::atomic<int> users_{0};
    std::atomic<bool> detached_{false};
};

// FluidSynth's ALSA driver renders on its own thread, without ever sleeping or being lost. It
// is used only where no sound server runs (see OpenFirstOutput).
class AlsaOutput final : public AudioOutput {
  public:
    explicit AlsaOutput(AudioSource& source) : source_(source) {}
    ~AlsaOutput() override {
        if (driver_) {
            delete_fluid_audio_driver(driver_);
        }
    }
    bool Open(fluid_settings_t* settings) {
        driver_ = new_fluid_audio_driver2(settings, Render, this);
        return driver_ != nullptr;
    }
    void Wake() noexcept override {}
    bool Lost() const noexcept override { return false; }

  private:
    static int Render(void* self, int frames, int, float**, int outputs, float** out) {
        if (outputs >= 2) {
            static_cast<AlsaOutput*>(self)->source_.Fill(out[0], out[1], 1, frames);
        }
        return FLUID_OK;
    }

    AudioSource& source_;
    fluid_audio_driver_t* driver_ = nullptr;
};

// An output with the source it renders from, which must outlive it however late it closes.
class SourcedOutput final : public AudioOutput {
  public:
    SourcedOutput(std::shared_ptr<DetachableSource> source, std::unique_ptr<AudioOutput> output)
        : source_(std::move(source)), output_(std::move(output)) {}
    void Wake() noexcept override { output_->Wake(); }
    bool Lost() const noexcept override { return output_->Lost(); }

  private:
    std::shared_ptr<DetachableSource> source_;
    std::unique_ptr<AudioOutput> output_;  // destroyed first
};

// The notes sounding since their note-on, so that the output stays up while a key is held.
class HeldNotes {
  public:
    // How many are held after word.
    int Follow(uint32_t word) {
        const uint32_t channel = word & 0x0F, data1 = (word >> 8) & 0x7F, data2 = (word >> 16);
        switch (word & 0xF0) {
            case 0x80:
                on_.reset(channel * 128 + data1);
                break;
            case 0x90:
                on_.set(channel * 128 + data1, data2 != 0);
                break;
            case 0xB0:
                if (data1 == kAllSoundOff || data1 == kAllNotesOff) {
                    for (uint32_t note = 0; note < 128; ++note) {
                        on_.reset(channel * 128 + note);
                    }
                }
                break;
        }
        return static_cast<int>(on_.count());
    }
    void Clear() { on_.reset(); }

  private:
    static constexpr uint32_t kAllSoundOff = 120, kAllNotesOff = 123;
    std::bitset<16 * 128> on_;
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

// Background: the first output that answers. PipeWire through its own API, whose data thread
// renders each cycle itself; a PipeWire that is there but does not answer is not tried again
// through its PulseAudio server, which would wait on it as well. ALSA's default device is the
// last resort, and only where no sound server exists: there it would reach a frozen server
// through ALSA's PulseAudio plug-in, wait on it, and never tell when it goes away.
std::unique_ptr<AudioOutput> OpenFirstOutput(AudioSource& source, double rate,
                                             fluid_settings_t* settings, const LossCallback& lost) {
    bool pipeWireFound = false;
    if (auto pipeWire = OpenPipeWireOutput(source, rate, lost, pipeWireFound)) {
        return pipeWire;
    }
    if (pipeWireFound) {
        return nullptr;
    }
    bool pulseServerFound = false;
    if (auto pulse = OpenPulseOutput(source, rate, lost, pulseServerFound)) {
        return pulse;
    }
    if (pulseServerFound) {
        return nullptr;
    }
    if (JackServerRunning()) {
        if (auto jack = OpenJackOutput(source, lost)) {
            return jack;
        }
    }
    auto alsa = std::make_unique<AlsaOutput>(source);
    if (!alsa->Open(settings)) {
        return nullptr;
    }
    return alsa;
}

}  // namespace

std::vector<std::string> SoundFontCandidates(const std::string& preferred) {
    std::vector<std::string> candidates;
    std::vector<std::filesystem::path> seen;  // a default is often a link to another one listed
    auto add = [&](const std::string& path) {
        std::error_code error;
        const std::filesystem::path file = std::filesystem::weakly_canonical(path, error);
        if (!path.empty() && std::find(seen.begin(), seen.end(), file) == seen.end()) {
            seen.push_back(file);
            candidates.push_back(path);
        }
    };
    if (const char* chosen = std::getenv("PLINKORA_SOUNDFONT")) {
        add(chosen);
    }
    add(preferred);
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
            add(path);
        }
    }
    for (const std::string& path : SystemSoundFonts()) {
        add(path);
    }
    return candidates;
}

std::optional<std::string> FindSoundFont(const std::string& preferred) {
    for (const std::string& path : SoundFontCandidates(preferred)) {
        if (IsReadableFile(path.c_str())) {
            return path;
        }
    }
    return std::nullopt;
}

std::unique_ptr<BuiltInSynth> CreateFromFirstSoundFont(const std::vector<std::string>& soundFonts,
                                                       std::vector<std::string>& notLoaded,
                                                       double sampleRate) {
    for (const std::string& path : soundFonts) {
        if (std::unique_ptr<BuiltInSynth> synth = BuiltInSynth::Create(path, sampleRate)) {
            return synth;
        }
        notLoaded.push_back(path);
    }
    return nullptr;
}

std::vector<std::string> SystemSoundFonts() {
    std::vector<std::string> found;
    for (const char* folder : {"/usr/share/sounds/sf2", "/usr/share/sounds/sf3",
                               "/usr/share/soundfonts", "/usr/local/share/soundfonts"}) {
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
            const std::string path = entry.path().string();
            const std::string extension = entry.path().extension().string();
            if ((extension == ".sf2" || extension == ".sf3") && IsReadableFile(path.c_str())) {
                found.push_back(path);
            }
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

struct BuiltInSynth::Impl final : AudioSource {
    ~Impl() override {
        LetOutputGo();
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
        limiter.Process(left, right, step, frames);
        float peak = 0;
        for (int i = 0; i < frames * step; i += step) {
            peak = std::max({peak, std::abs(left[i]), std::abs(right[i])});
        }
        return !gate.AfterRender(events, peak, frames);
    }

    void SetSampleRate(double rate) override {
        if (rate != sampleRate.load()) {
// Deprecated for a setting that must be made before the synthesizer exists; a JACK server's
// rate is known only once connected, and the call still works in FluidSynth 2.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
            fluid_synth_set_sample_rate(synth, static_cast<float>(rate));
#pragma GCC diagnostic pop
            sampleRate = rate;
        }
        limiter.SetSampleRate(rate);
        gate.SetSleepAfter(static_cast<int64_t>(kSleepAfterSeconds * rate));
    }

    // Window thread: the channel's program sounds at its measured level, the drums and what is
    // not measured yet as they are. Asked, the program is measured first if it has not been.
    void ApplyLevel(int channel, bool ask = false) {
        int soundFontId = 0, bank = 0, program = 0;
        double attenuation = 0;
        if (fluid_synth_get_program(synth, channel, &soundFontId, &bank, &program) == FLUID_OK &&
            bank == 0) {
            if (ask) {
                levels.Request(program);
            }
            if (const std::optional<ProgramPeaks> peaks = levels.Peaks(program)) {
                attenuation = ProgramAttenuation(*peaks, volume);
            }
        }
        if (attenuation != appliedAttenuation[channel]) {
            fluid_synth_set_gen(synth, channel, GEN_ATTENUATION,
                                static_cast<float>(10 * attenuation));  // centibels
            appliedAttenuation[channel] = attenuation;
        }
    }

    // Window thread: applies the measurements that arrived since the last look.
    void FollowLevels() {
        if (const uint64_t version = levels.Version(); version != levelsSeen) {
            levelsSeen = version;
            for (int channel = 0; channel < kChannels; ++channel) {
                ApplyLevel(channel);
            }
        }
    }

    // Offline: what is rendered has the levels of all the channels' programs.
    void AwaitLevels() {
        for (int channel = 0; channel < kChannels; ++channel) {
            int soundFontId = 0, bank = 0, program = 0;
            if (fluid_synth_get_program(synth, channel, &soundFontId, &bank, &program) ==
                    FLUID_OK &&
                bank == 0) {
                levels.WaitFor(program);
            }
        }
        FollowLevels();
    }

    // Window thread: lets the output go, if any, so that it no longer renders from here on.
    // Closing it may wait on its server: that is left to the background.
    void LetOutputGo() {
        if (!source) {
            return;
        }
        source->Detach();
        source.reset();
        CloseInBackground(std::move(output));
        opening->GiveUp();  // closes what the opening opens, if it has not yet
        if (!opening->Ended()) {
            stuckOpening = opening;
        }
        opening.reset();
    }

    // Window thread: the output the opening has made, once it is there.
    AudioOutput* Output() {
        if (!output && opening) {
            output = opening->Take();
        }
        return output.get();
    }

    fluid_settings_t* settings = nullptr;
    fluid_synth_t* synth = nullptr;
    SilenceGate gate;
    PeakLimiter limiter;  // the audio thread's, or the offline renderer's
    int soundFontId = FLUID_FAILED;
    std::string soundFontPath;
    std::atomic<double> sampleRate = 0;  // set by an output as it opens
    HeldNotes heldNotes;                 // window thread
    static constexpr int kChannels = 16;
    ProgramLevels levels;
    std::array<double, kChannels> appliedAttenuation{};  // dB, window thread
    double volume = 1.0;                                 // window thread
    uint64_t levelsSeen = 0;

    // While audio runs or is being opened; the window thread owns them.
    std::shared_ptr<DetachableSource> source;
    std::shared_ptr<Opening<AudioOutput>> opening;
    std::unique_ptr<AudioOutput> output;
    // An opening given up while a server held it: no second one waits on the same server.
    std::shared_ptr<Opening<AudioOutput>> stuckOpening;
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
    if (!impl->synth) {
        return nullptr;
    }
    impl->soundFontId = fluid_synth_sfload(impl->synth, soundFontPath.c_str(), 1);
    if (impl->soundFontId == FLUID_FAILED) {
        return nullptr;
    }
    impl->soundFontPath = soundFontPath;
    impl->levels.Start(SoundFontMeter(soundFontPath, Configure));
    impl->limiter.SetSampleRate(sampleRate);
    return std::unique_ptr<BuiltInSynth>(new BuiltInSynth(std::move(impl)));
}

bool BuiltInSynth::ChangeSoundFont(const std::string& path) {
    Impl& impl = *impl_;
    if (!fluid_is_soundfont(path.c_str())) {
        return false;
    }
    // FluidSynth locks its own state while it loads, so the audio thread waits (a short gap in
    // the sound, no more); the old font's samples stay until the voices that play them end.
    const int id = fluid_synth_sfload(impl.synth, path.c_str(), 1);
    if (id == FLUID_FAILED) {
        return false;
    }
    fluid_synth_sfunload(impl.synth, impl.soundFontId, 1);
    impl.soundFontId = id;
    impl.soundFontPath = path;
    impl.levels.Start(SoundFontMeter(path, Configure));
    for (int channel = 0; channel < Impl::kChannels; ++channel) {
        impl.ApplyLevel(channel, true);
    }
    return true;
}

std::string BuiltInSynth::SoundFont() const {
    return impl_->soundFontPath;
}

void BuiltInSynth::SetSound(const SynthSound& sound) {
    fluid_synth_set_gain(impl_->synth, static_cast<float>(kGain * sound.volume));
    impl_->volume = sound.volume;
    for (int channel = 0; channel < Impl::kChannels; ++channel) {
        impl_->ApplyLevel(channel);
    }
    fluid_synth_reverb_on(impl_->synth, -1, sound.reverb ? 1 : 0);
    fluid_synth_chorus_on(impl_->synth, -1, sound.chorus ? 1 : 0);
}

bool BuiltInSynth::Send(uint32_t word) noexcept {
    impl_->FollowLevels();
    const bool delivered = Deliver(impl_->synth, word);
    if (delivered) {
        impl_->gate.SetHeldNotes(impl_->heldNotes.Follow(word));
        if ((word & 0xF0) == 0xC0) {
            impl_->ApplyLevel(static_cast<int>(word & 0x0F), true);
        }
    }
    if (impl_->gate.Event()) {
        if (AudioOutput* output = impl_->Output()) {
            output->Wake();
        }
    }
    return delivered;
}

void BuiltInSynth::KeepAwake(bool awake) noexcept {
    impl_->gate.SetKeptAwake(awake);
}

void BuiltInSynth::Render(float* interleaved, int frames) {
    if (frames <= 0) {
        return;
    }
    // The audio thread is the renderer while audio runs; a second one would corrupt both.
    if (impl_->source) {
        std::fill(interleaved, interleaved + 2 * frames, 0.0f);
        return;
    }
    impl_->AwaitLevels();
    fluid_synth_write_float(impl_->synth, frames, interleaved, 0, 2, interleaved, 1, 2);
    impl_->limiter.Process(interleaved, interleaved + 1, 2, frames);
}

float BuiltInSynth::TakeLowestLimiterGain() {
    return impl_->limiter.TakeLowestGain();
}

bool BuiltInSynth::StartAudio(LossCallback lost) {
    Impl& impl = *impl_;
    if (impl.source) {
        return true;  // playing, or still opening
    }
    if (impl.stuckOpening && !impl.stuckOpening->Ended()) {
        return false;  // the server has not answered an earlier opening yet
    }
    impl.stuckOpening.reset();
    impl.source = std::make_shared<DetachableSource>(impl);
    impl.opening = Opening<AudioOutput>::Start(
        [source = impl.source, rate = impl.sampleRate.load(), settings = impl.settings,
         lost]() -> std::unique_ptr<AudioOutput> {
            std::unique_ptr<AudioOutput> output = OpenFirstOutput(*source, rate, settings, lost);
            if (!output) {
                return nullptr;
            }
            return std::make_unique<SourcedOutput>(source, std::move(output));
        },
        [lost] {
            if (lost) {
                lost();  // the window thread looks whether it failed
            }
        });
    if (impl.opening->WaitFor(kAnswerWait)) {
        if (impl.opening->Failed()) {
            impl.LetOutputGo();
            return false;
        }
        return true;
    }
    // Slower than a key may wait: the device plays into the synthesizer meanwhile, and an
    // opening that does not answer in time counts as a lost server.
    impl.opening->WatchFor(kAnswerLimit, lost);
    return true;
}

void BuiltInSynth::StopAudio() {
    impl_->LetOutputGo();
    // Notes dying away and the reverberation would otherwise resume where they stopped at the
    // next start: the notes end now, and the reverberation fades in a second rendered unheard.
    fluid_synth_all_sounds_off(impl_->synth, -1);
    impl_->heldNotes.Clear();
    impl_->gate.SetHeldNotes(0);
    std::array<float, 2 * 1024> discarded;
    for (double frames = 0; frames < impl_->sampleRate.load(); frames += 1024) {
        fluid_synth_write_float(impl_->synth, 1024, discarded.data(), 0, 2, discarded.data(), 1, 2);
    }
}

bool BuiltInSynth::AudioRunning() const {
    return impl_->source != nullptr;
}

bool BuiltInSynth::AudioReady() const {
    return impl_->source && impl_->Output() && !impl_->output->Lost();
}

bool BuiltInSynth::AudioLost() const {
    Impl& impl = *impl_;
    if (!impl.source) {
        return false;
    }
    if (AudioOutput* output = impl.Output()) {
        return output->Lost();
    }
    return impl.opening->Failed() || impl.opening->Overdue();
}

double BuiltInSynth::SampleRate() const {
    return impl_->sampleRate.load();
}

}  // namespace plinkora
