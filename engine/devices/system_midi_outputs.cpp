#include "engine/devices/system_midi_outputs.h"

#include <fluidsynth.h>

#include <algorithm>
#include <cstdlib>
#include <future>
#include <map>
#include <mutex>
#include <system_error>

#include "engine/devices/background_work.h"
#include "engine/devices/builtin_synth.h"
#include "engine/devices/midi_ports.h"
#include "engine/devices/pending_device.h"
#include "engine/devices/sound_libraries.h"
#include "engine/midi_output.h"

namespace plinkora {

namespace {

constexpr const char* kSynthName = "Plinkora Synthesizer";
constexpr const char* kOwnPortName = "Plinkora output port";

// Loading a SoundFont takes from 30 ms (TimGM6mb) to a few hundred (FluidR3 on a busy machine),
// so it runs on a thread of its own while the window is built; the first opening of the
// synthesizer waits for it. A SoundFont that does not load gives way to the next candidate.
// Devices share the synthesizer so that they may outlive the outputs that opened them; it plays
// while at least one of them is open. Window thread only.
class SharedSynth {
  public:
    SharedSynth(std::vector<std::string> soundFonts, SynthSound sound) {
        auto load = [soundFonts = std::move(soundFonts), sound] {
            Loaded loaded;
            loaded.synth = CreateFromFirstSoundFont(soundFonts, loaded.notLoaded);
            if (loaded.synth) {
                loaded.synth->SetSound(sound);
            }
            return loaded;
        };
        try {
            loading_ = std::async(std::launch::async, load);
        } catch (const std::system_error&) {
            Take(load());  // no thread to spare: load it now
        }
    }

    // Null when no SoundFont could be loaded.
    BuiltInSynth* Synth() {
        if (loading_.valid()) {
            Take(loading_.get());
        }
        return loaded_.synth.get();
    }

    // The SoundFonts tried before the one that plays, or all of them when none loaded.
    const std::vector<std::string>& NotLoaded() {
        Synth();
        return loaded_.notLoaded;
    }

    int openDevices = 0;

  private:
    struct Loaded {
        std::unique_ptr<BuiltInSynth> synth;
        std::vector<std::string> notLoaded;
    };

    void Take(Loaded loaded) {
        loaded_ = std::move(loaded);
        for (const std::string& path : loaded_.notLoaded) {
            SoundLibraryLog("The SoundFont " + path + " could not be loaded");
        }
    }

    std::future<Loaded> loading_;
    Loaded loaded_;
};

// Carries a lost output's news from the audio side to whoever listens now. Shared with the
// outputs' callbacks, so that it outlives the outputs while an audio thread may still call it.
class LossRelay {
  public:
    void Listen(std::function<void()> listener) {
        std::lock_guard lock(mutex_);
        listener_ = std::move(listener);
    }
    void Report() {
        std::lock_guard lock(mutex_);
        if (listener_) {
            listener_();
        }
    }

  private:
    std::mutex mutex_;
    std::function<void()> listener_;
};

class SynthDevice final : public MidiDevice {
  public:
    explicit SynthDevice(std::shared_ptr<SharedSynth> shared)
        : shared_(std::move(shared)), synth_(*shared_->Synth()) {
        ++shared_->openDevices;
    }
    ~SynthDevice() override {
        KeepAwake(false);
        if (--shared_->openDevices == 0) {
            synth_.StopAudio();
        }
    }
    SynthDevice(const SynthDevice&) = delete;
    SynthDevice& operator=(const SynthDevice&) = delete;

    bool Send(uint32_t word) noexcept override { return synth_.Send(word); }
    bool Lost() const noexcept override { return synth_.AudioLost(); }
    // Notes play into the synthesizer at once, but they are heard only once the output is up.
    bool Ready() const noexcept override { return synth_.AudioReady(); }
    void KeepAwake(bool awake) noexcept override {
        if (awake != keptAwake_) {
            keptAwake_ = awake;
            synth_.KeepAwake(awake);
        }
    }

  private:
    std::shared_ptr<SharedSynth> shared_;
    BuiltInSynth& synth_;
    bool keptAwake_ = false;
};

class SystemMidiOutputs final : public MidiOutputs {
  public:
    SystemMidiOutputs(int logTicket, std::shared_ptr<SharedSynth> synth, MidiPorts ports,
                      std::vector<std::string> noSoundFonts)
        : logTicket_(logTicket),
          synth_(std::move(synth)),
          ports_(std::make_shared<const MidiPorts>(std::move(ports))),
          noSoundFonts_(std::move(noSoundFonts)) {}
    // The caller's log may not outlive these outputs.
    ~SystemMidiOutputs() override { ClearSoundLibraryLog(logTicket_); }
    SystemMidiOutputs(const SystemMidiOutputs&) = delete;
    SystemMidiOutputs& operator=(const SystemMidiOutputs&) = delete;

    int Count() const override { return FirstPort() + ListedPorts() + (HasOwnPort() ? 1 : 0); }

    // There is no MIDI mapper on this system.
    std::optional<std::string> MapperName() const override { return std::nullopt; }

    std::string Name(int32_t deviceId) const override {
        if (deviceId < 0 || deviceId >= Count()) {
            return {};
        }
        if (synth_ && deviceId == 0) {
            return kSynthName;
        }
        return IsOwnPort(deviceId) ? kOwnPortName : ports_->Name(deviceId - FirstPort());
    }

    std::unique_ptr<MidiDevice> Open(int32_t deviceId) override {
        if (deviceId < 0 || deviceId >= Count()) {
            return nullptr;
        }
        if (synth_ && deviceId == 0) {
            return OpenSynth();
        }
        return OpenPort(deviceId);
    }

    void SetLossListener(std::function<void()> listener) override {
        lossRelay_->Listen(std::move(listener));
    }

    BuiltInSynth* Synthesizer() { return synth_ ? synth_->Synth() : nullptr; }
    std::vector<std::string> SoundFontsNotLoaded() {
        return synth_ ? synth_->NotLoaded() : noSoundFonts_;
    }

  private:
    int FirstPort() const { return synth_ ? 1 : 0; }
    bool HasOwnPort() const { return ports_->HasOwnPort(); }
    // Plinkora's own port comes last, after as many of the system's ports as leave it room.
    int ListedPorts() const {
        return std::min(ports_->Count(), kMaxListedDevices - FirstPort() - (HasOwnPort() ? 1 : 0));
    }
    bool IsOwnPort(int32_t deviceId) const {
        return HasOwnPort() && deviceId == FirstPort() + ListedPorts();
    }

    // The opening runs in the background. A port whose last opening a frozen server still holds
    // is not opened again meanwhile, so that waiting threads do not pile up.
    std::unique_ptr<MidiDevice> OpenPort(int32_t deviceId) {
        std::shared_ptr<Opening<MidiDevice>>& last = openings_[deviceId];
        if (last && !last->Ended()) {
            return nullptr;
        }
        auto report = [relay = lossRelay_] { relay->Report(); };
        PendingDevice::Open open;
        if (IsOwnPort(deviceId)) {
            open = [ports = ports_, report] { return ports->OpenOwnPort(report); };
        } else {
            open = [ports = ports_, index = deviceId - FirstPort()] { return ports->Open(index); };
        }
        return PendingDevice::Start(last, std::move(open), report);
    }

    std::unique_ptr<MidiDevice> OpenSynth() {
        BuiltInSynth* synth = synth_->Synth();
        if (!synth) {
            return nullptr;
        }
        if (!synth->StartAudio([relay = lossRelay_] { relay->Report(); })) {
            SoundLibraryLog("No audio output could be opened for the synthesizer");
            return nullptr;
        }
        return std::make_unique<SynthDevice>(synth_);
    }

    int logTicket_;
    std::shared_ptr<SharedSynth> synth_;      // null when no SoundFont was found
    std::shared_ptr<const MidiPorts> ports_;  // shared with the openings under way
    std::map<int32_t, std::shared_ptr<Opening<MidiDevice>>> openings_;  // the last of each port
    std::shared_ptr<LossRelay> lossRelay_ = std::make_shared<LossRelay>();
    std::vector<std::string> noSoundFonts_;  // the candidates, when none was a SoundFont
};

// The built-in synthesizer is offered when a SoundFont is found. Whether it loads is known only
// once it has: a damaged one then gives way to the next. None found, all the candidates failed.
std::shared_ptr<SharedSynth> StartLoadingSynth(const std::string& preferred, SynthSound sound,
                                               std::vector<std::string>& notLoaded) {
    std::vector<std::string> soundFonts = SoundFontCandidates(preferred);
    if (std::none_of(soundFonts.begin(), soundFonts.end(),
                     [](const std::string& path) { return fluid_is_soundfont(path.c_str()); })) {
        SoundLibraryLog("No SoundFont found; the built-in synthesizer is not offered");
        notLoaded = std::move(soundFonts);
        return nullptr;
    }
    return std::make_shared<SharedSynth>(std::move(soundFonts), sound);
}

}  // namespace

std::unique_ptr<MidiOutputs> CreateSystemMidiOutputs(std::function<void(const std::string&)> log,
                                                     const std::string& soundFont,
                                                     SynthSound sound) {
    const int logTicket = SetSoundLibraryLog(std::move(log));
    PrepareSoundLibraries();
    std::vector<std::string> notLoaded;
    std::shared_ptr<SharedSynth> synth = StartLoadingSynth(soundFont, sound, notLoaded);
    return std::make_unique<SystemMidiOutputs>(logTicket, std::move(synth), MidiPorts(),
                                               std::move(notLoaded));
}

BuiltInSynth* SystemSynthesizer(MidiOutputs& outputs) {
    auto* system = dynamic_cast<SystemMidiOutputs*>(&outputs);
    return system ? system->Synthesizer() : nullptr;
}

std::vector<std::string> SoundFontsNotLoaded(MidiOutputs& outputs) {
    auto* system = dynamic_cast<SystemMidiOutputs*>(&outputs);
    return system ? system->SoundFontsNotLoaded() : std::vector<std::string>{};
}

}  // namespace plinkora
