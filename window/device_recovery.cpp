#include "window/device_recovery.h"

#include "engine/midi_output.h"
#include "window/command_ids.h"

namespace plinkora {

void DeviceRecovery::BeforeCommand(int commandId) {
    if (commandId == kOpenDeviceCommand || commandId == kCloseDeviceCommand ||
        (commandId >= kMapperCommand && commandId <= kLastDeviceCommand)) {
        waiting_ = false;
        window_.SetRetrying(false);
        trial_.reset();
    }
}

void DeviceRecovery::ReleasesOwed() {
    window_.SetPayingOwed(true);
}

void DeviceRecovery::PayOwed() {
    if (PayOwedReleases(window_.WatchedPerformance())) {
        window_.SetPayingOwed(false);
    }
}

void DeviceRecovery::CheckDevice() {
    const Performance& performance = window_.WatchedPerformance();
    if (!performance.DeviceOpen() || !performance.midiOut->Lost()) {
        return;
    }
    if (window_.CommandEnabled(kEndPlayingCommand)) {
        window_.RunCommand(kEndPlayingCommand);
    }
    window_.RunCommand(kCloseDeviceCommand);
    lostDevice_ = performance.deviceId;
    waiting_ = true;
    window_.SetRetrying(true);
    window_.ShowStandingWarning(kCannotOpenDevice);
}

// A quiet trial opening first, so that a server still away shows no warning every second. A
// trial the server has not answered yet is looked at again on the next round.
void DeviceRecovery::TryReopen() {
    const Performance& performance = window_.WatchedPerformance();
    if (!waiting_ || performance.DeviceOpen() || performance.deviceId != lostDevice_) {
        window_.SetRetrying(false);
        trial_.reset();
        return;
    }
    if (trial_ && trial_->Lost()) {
        trial_.reset();
        return;
    }
    if (!trial_) {
        trial_ = outputs_.Open(lostDevice_);
        if (!trial_ || trial_->Lost()) {
            trial_.reset();
            return;
        }
    }
    if (!trial_->Ready()) {
        return;
    }
    window_.RunCommand(kOpenDeviceCommand);  // while the trial holds the output open
    trial_.reset();
    if (performance.DeviceOpen()) {
        window_.WithdrawStandingWarning();
    }
}

}  // namespace plinkora
