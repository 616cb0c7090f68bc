#include "engine/devices/program_levels.h"

#include <fluidsynth.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace plinkora {

struct ProgramLevels::State {
    // With mutex held: whether nothing more about program is to come.
    bool Settled(int program) const { return measured[program] || ended; }
    // With mutex held: the next program to measure, the asked-for ones first; -1 when done.
    int Next() {
        while (!requests.empty()) {
            const int program = requests.back();
            requests.pop_back();
            if (!measured[program]) {
                return program;
            }
        }
        while (next < kPrograms) {
            const int program = next++;
            if (!measured[program]) {
                return program;
            }
        }
        return -1;
    }

    std::mutex mutex;
    std::condition_variable changed;
    std::array<bool, kPrograms> measured{};
    std::array<std::optional<ProgramPeaks>, kPrograms> peaks;
    std::vector<int> requests;  // the latest last
    int next = 0;
    bool stopping = false;
    bool ended = false;  // nothing more will be measured
    std::atomic<uint64_t> arrivals{0};
};

namespace {

void Measure(ProgramLevels::State& state, const ProgramLevels::MakeMeter& make) {
    // Measuring is worth less than anything the user hears or sees meanwhile.
    setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), 10);
    const ProgramLevels::Meter meter = make();
    for (;;) {
        int program = -1;
        {
            std::lock_guard lock(state.mutex);
            program = state.stopping ? -1 : state.Next();
            if (program < 0) {
                state.ended = true;
                break;
            }
        }
        const std::optional<ProgramPeaks> peaks =
            meter ? std::optional<ProgramPeaks>(meter(program)) : std::nullopt;
        {
            std::lock_guard lock(state.mutex);
            state.measured[program] = true;
            state.peaks[program] = peaks;
        }
        ++state.arrivals;
        state.changed.notify_all();
    }
    state.changed.notify_all();
}

}  // namespace

ProgramLevels::~ProgramLevels() {
    Stop();
}

void ProgramLevels::Start(MakeMeter make) {
    Stop();
    ++starts_;
    state_ = std::make_shared<State>();
    waiting_ = std::move(make);
}

void ProgramLevels::Launch() {
    if (!waiting_) {
        return;
    }
    // Detached, and not among the background work a quitting program waits for: given up, it
    // ends within one measurement, or one load of the SoundFont, and holds nothing but its own.
    try {
        std::thread([state = state_, make = std::move(waiting_)] {
            Measure(*state, make);
        }).detach();
    } catch (const std::system_error&) {
        std::lock_guard lock(state_->mutex);
        state_->ended = true;  // no thread to be had: the limiter alone keeps the level
    }
    waiting_ = nullptr;
}

void ProgramLevels::Stop() {
    if (state_) {
        {
            std::lock_guard lock(state_->mutex);
            state_->stopping = true;
        }
        state_->changed.notify_all();
    }
}

void ProgramLevels::Request(int program) {
    if (!state_ || program < 0 || program >= kPrograms) {
        return;
    }
    Launch();
    {
        std::lock_guard lock(state_->mutex);
        if (state_->measured[program]) {
            return;
        }
        std::vector<int>& requests = state_->requests;
        requests.erase(std::remove(requests.begin(), requests.end(), program), requests.end());
        requests.push_back(program);
    }
    state_->changed.notify_all();
}

std::optional<ProgramPeaks> ProgramLevels::Peaks(int program) const {
    if (!state_ || program < 0 || program >= kPrograms) {
        return std::nullopt;
    }
    std::lock_guard lock(state_->mutex);
    return state_->peaks[program];
}

void ProgramLevels::WaitFor(int program) {
    if (!state_ || program < 0 || program >= kPrograms) {
        return;
    }
    Request(program);
    std::unique_lock lock(state_->mutex);
    state_->changed.wait(lock, [&] { return state_->Settled(program); });
}

uint64_t ProgramLevels::Version() const {
    return starts_ << 32 | (state_ ? state_->arrivals.load() : 0);
}

// One note at full force of any program may peak as loud as the piano does at volume 100%
// (TimGM6mb's piano, and other GM keyboards), 5 dB below the limiter's ceiling; with its bourdon
// an octave lower, 1 dB below the ceiling; alone at a higher volume, 2 dB below it. The margins
// cover what a short measurement misses (a chorus sweep, a slow swell), up to 3 dB measured.
constexpr double kLoudestNote = -6.0;     // dBFS
constexpr double kLoudestBourdon = -2.0;  // dBFS
constexpr double kHighestNote = -3.0;     // dBFS

double ProgramAttenuation(const ProgramPeaks& peaks, double volume) {
    const double volumeDecibels = 20 * std::log10(std::max(volume, 1e-6));
    return std::max({0.0, peaks.alone - kLoudestNote, peaks.withBourdon - kLoudestBourdon,
                     peaks.alone + volumeDecibels - kHighestNote});
}

namespace {

// Long enough for slow strings and pads to reach their full level. Half the usual rate, and no
// reverberation (which adds less than 0.5 dB to a peak), for speed: all 128 programs take 0.4 s
// of one core with TimGM6mb, 0.6 s with FluidR3 (whose second copy holds 150 MB meanwhile).
constexpr double kMeasureSeconds = 2.0;
constexpr double kMeasureRate = 22050;
constexpr double kSilenceSeconds = 0.1;  // the chorus's delays are far shorter
constexpr int kBlock = 256;
constexpr int kMiddleC = 60;
constexpr int kBourdonChannel = 15;

struct FluidDeleter {
    void operator()(fluid_synth_t* synth) const { delete_fluid_synth(synth); }
    void operator()(fluid_settings_t* settings) const { delete_fluid_settings(settings); }
};

class NoteMeter {
  public:
    NoteMeter(std::unique_ptr<fluid_settings_t, FluidDeleter> settings,
              std::unique_ptr<fluid_synth_t, FluidDeleter> synth)
        : settings_(std::move(settings)), synth_(std::move(synth)), block_(2 * kBlock) {}

    ProgramPeaks operator()(int program) {
        return {PeakDecibels(program, false), PeakDecibels(program, true)};
    }

  private:
    double PeakDecibels(int program, bool bourdon) {
        fluid_synth_t* synth = synth_.get();
        // The note before is cut off, not released (a string's release would sound on into this
        // measurement), and its chorus dies away unheard.
        fluid_synth_all_sounds_off(synth, -1);
        for (double frames = 0; frames < kSilenceSeconds * kMeasureRate; frames += kBlock) {
            fluid_synth_write_float(synth, kBlock, block_.data(), 0, 2, block_.data(), 1, 2);
        }
        fluid_synth_system_reset(synth);
        fluid_synth_program_change(synth, 0, program);
        fluid_synth_noteon(synth, 0, kMiddleC, 127);
        if (bourdon) {
            fluid_synth_program_change(synth, kBourdonChannel, program);
            fluid_synth_noteon(synth, kBourdonChannel, kMiddleC - 12, 127);
        }
        double peak = 1e-9;
        for (double frames = 0; frames < kMeasureSeconds * kMeasureRate; frames += kBlock) {
            fluid_synth_write_float(synth, kBlock, block_.data(), 0, 2, block_.data(), 1, 2);
            for (const float x : block_) {
                peak = std::max(peak, static_cast<double>(std::abs(x)));
            }
        }
        return 20 * std::log10(peak);
    }

    std::unique_ptr<fluid_settings_t, FluidDeleter> settings_;
    std::unique_ptr<fluid_synth_t, FluidDeleter> synth_;  // destroyed first
    std::vector<float> block_;
};

}  // namespace

ProgramLevels::MakeMeter SoundFontMeter(std::string soundFont,
                                        void (*configure)(fluid_settings_t*, double)) {
    return [soundFont = std::move(soundFont), configure]() -> ProgramLevels::Meter {
        std::unique_ptr<fluid_settings_t, FluidDeleter> settings(new_fluid_settings());
        if (!settings) {
            return {};
        }
        configure(settings.get(), kMeasureRate);
        fluid_settings_setint(settings.get(), "synth.reverb.active", 0);
        // Whole, so that a file deleted or cut short later can do nothing here; one thread.
        fluid_settings_setint(settings.get(), "synth.dynamic-sample-loading", 0);
        fluid_settings_setint(settings.get(), "synth.lock-memory", 0);
        fluid_settings_setint(settings.get(), "synth.threadsafe-api", 0);
        std::unique_ptr<fluid_synth_t, FluidDeleter> synth(new_fluid_synth(settings.get()));
        if (!synth || fluid_synth_sfload(synth.get(), soundFont.c_str(), 1) == FLUID_FAILED) {
            return {};
        }
        auto meter = std::make_shared<NoteMeter>(std::move(settings), std::move(synth));
        return [meter](int program) { return (*meter)(program); };
    };
}

}  // namespace plinkora
