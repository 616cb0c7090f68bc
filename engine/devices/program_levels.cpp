#include "engine/devices/program_levels.h"

#include <fluidsynth.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <system_error>

namespace plinkora {

ProgramLevels::~ProgramLevels() {
    Stop();
}

void ProgramLevels::Start(MakeMeter make) {
    Stop();
    std::lock_guard lock(mutex_);
    measured_.fill(false);
    attenuations_.fill(std::nullopt);
    requests_.clear();
    stopping_ = false;
    ended_ = false;
    ++arrivals_;
    try {
        worker_ = std::thread(&ProgramLevels::Run, this, std::move(make));
    } catch (const std::system_error&) {
        ended_ = true;  // no thread to be had: the limiter alone keeps the level
    }
}

void ProgramLevels::Request(int program) {
    if (program < 0 || program >= kPrograms) {
        return;
    }
    {
        std::lock_guard lock(mutex_);
        if (measured_[program]) {
            return;
        }
        requests_.erase(std::remove(requests_.begin(), requests_.end(), program), requests_.end());
        requests_.push_back(program);
    }
    changed_.notify_all();
}

std::optional<double> ProgramLevels::Attenuation(int program) {
    if (program < 0 || program >= kPrograms) {
        return std::nullopt;
    }
    std::lock_guard lock(mutex_);
    return attenuations_[program];
}

void ProgramLevels::WaitFor(int program) {
    if (program < 0 || program >= kPrograms) {
        return;
    }
    Request(program);
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return Settled(program); });
}

bool ProgramLevels::Settled(int program) const {
    return measured_[program] || ended_;
}

void ProgramLevels::Stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (worker_.joinable()) {
        worker_.join();
    }
}

void ProgramLevels::Run(MakeMeter make) {
    // Measuring is worth less than anything the user hears or sees meanwhile.
    setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), 10);
    const Meter meter = make();
    for (int next = 0;;) {
        int program = -1;
        {
            std::lock_guard lock(mutex_);
            while (!requests_.empty() && program < 0) {
                program = requests_.back();
                requests_.pop_back();
                program = measured_[program] ? -1 : program;
            }
            while (program < 0 && next < kPrograms) {
                program = measured_[next] ? -1 : next;
                ++next;
            }
            if (stopping_ || program < 0) {
                ended_ = true;
                break;
            }
        }
        const std::optional<double> attenuation =
            meter ? std::optional<double>(meter(program)) : std::nullopt;
        {
            std::lock_guard lock(mutex_);
            measured_[program] = true;
            attenuations_[program] = attenuation;
        }
        ++arrivals_;
        changed_.notify_all();
    }
    changed_.notify_all();
}

namespace {

// One note at full force of any program may peak as loud as the piano does at volume 100%
// (TimGM6mb's piano, and other GM keyboards), 5 dB below the limiter's ceiling; with its bourdon
// an octave lower, 1 dB below the ceiling.
constexpr double kLoudestNote = -6.0;     // dBFS
constexpr double kLoudestBourdon = -2.0;  // dBFS
// Long enough for slow strings and pads to reach their full level. Half the usual rate, and no
// reverberation (which adds less than 0.5 dB to a peak), for speed: all 128 programs take about
// a second.
constexpr double kMeasureSeconds = 2.0;
constexpr double kMeasureRate = 22050;
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

    double operator()(int program) {
        const double alone = PeakDecibels(program, false);
        const double withBourdon = PeakDecibels(program, true);
        return std::max({0.0, alone - kLoudestNote, withBourdon - kLoudestBourdon});
    }

  private:
    double PeakDecibels(int program, bool bourdon) {
        fluid_synth_t* synth = synth_.get();
        // Also empties the chorus of the note before.
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
