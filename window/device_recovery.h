#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "engine/midi_device.h"
#include "engine/performance.h"

namespace plinkora {

// What the device's recovery asks of the window it watches over, and of its front end's timers.
class RecoveryWindow {
  public:
    virtual ~RecoveryWindow() = default;
    virtual Performance& WatchedPerformance() = 0;
    virtual bool CommandEnabled(int commandId) const = 0;
    virtual void RunCommand(int commandId) = 0;
    virtual void ShowStandingWarning(std::string_view text) = 0;
    virtual void WithdrawStandingWarning() = 0;
    // While on, TryReopen is called every kRetryMs, PayOwed every kOwedRetryMs.
    virtual void SetRetrying(bool on) = 0;
    virtual void SetPayingOwed(bool on) = 0;
};

// Watches the open MIDI device for a lost output (its sound server went away or froze, say). A
// lost device is shown closed as the user's Close shows it, with the warning of a failed
// opening, and a playback in progress ends; once the device opens again it comes back by itself
// and the warning goes, unless the user has chosen, opened or closed a device in the meantime.
// It also sends the releases the device did not take as soon as it takes words again. Window
// thread.
class DeviceRecovery {
  public:
    DeviceRecovery(RecoveryWindow& window, MidiOutputs& outputs)
        : window_(window), outputs_(outputs) {}

    // Before each command: the user's own device commands end the waiting for a reopening.
    void BeforeCommand(int commandId);
    // The device did not take a release: it is offered again until it does.
    void ReleasesOwed();
    // When the outputs report a loss, or a slow opening's end: the device then takes what it
    // opened, and a lost one is closed.
    void CheckDevice();
    void TryReopen();
    void PayOwed();

    static constexpr int kRetryMs = 1000;
    static constexpr int kOwedRetryMs = 20;

  private:
    RecoveryWindow& window_;
    MidiOutputs& outputs_;
    // A quiet opening of the lost device, kept while its server has not answered it yet.
    std::unique_ptr<MidiDevice> trial_;
    int32_t lostDevice_ = 0;
    bool waiting_ = false;
};

}  // namespace plinkora
