#include "shell/device_watch.h"

#include <QAction>

#include "engine/midi_output.h"
#include "recording/playback.h"
#include "shell/main_window.h"
#include "window/command_ids.h"

namespace plinkora {

DeviceWatch::DeviceWatch(MainWindow& window, MidiOutputs& outputs)
    : window_(window), outputs_(outputs) {
    retry_.setInterval(kRetryMs);
    connect(&retry_, &QTimer::timeout, this, [this] { TryReopen(); });
    owedRetry_.setInterval(kOwedRetryMs);
    connect(&owedRetry_, &QTimer::timeout, this, [this] { PayOwed(); });
    outputs_.SetLossListener([this] {
        QMetaObject::invokeMethod(
            this, [this] { CheckDevice(); }, Qt::QueuedConnection);
    });
}

DeviceWatch::~DeviceWatch() {
    outputs_.SetLossListener({});
}

void DeviceWatch::BeforeCommand(int commandId) {
    if (commandId == kOpenDeviceCommand || commandId == kCloseDeviceCommand ||
        (commandId >= kMapperCommand && commandId <= kLastDeviceCommand)) {
        waiting_ = false;
        retry_.stop();
        trial_.reset();
    }
}

void DeviceWatch::ReleasesOwed() {
    owedRetry_.start();
}

void DeviceWatch::PayOwed() {
    if (PayOwedReleases(window_.performance())) {
        owedRetry_.stop();
    }
}

// Also asked when a slow opening has ended: the device then takes what it opened.
void DeviceWatch::CheckDevice() {
    const Performance& performance = window_.performance();
    if (!performance.DeviceOpen() || !performance.midiOut->Lost()) {
        return;
    }
    if (const QAction* endPlay = window_.Action(kEndPlayingCommand);
        endPlay && endPlay->isEnabled()) {
        window_.Command(kEndPlayingCommand);
    }
    window_.Command(kCloseDeviceCommand);
    lostDevice_ = performance.deviceId;
    waiting_ = true;
    retry_.start();
    window_.ShowStandingWarning(kCannotOpenDevice);
}

// A quiet trial opening first, so that a server still away shows no warning every second. A
// trial the server has not answered yet is looked at again on the next round.
void DeviceWatch::TryReopen() {
    const Performance& performance = window_.performance();
    if (!waiting_ || performance.DeviceOpen() || performance.deviceId != lostDevice_) {
        retry_.stop();
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
    window_.Command(kOpenDeviceCommand);  // while the trial holds the output open
    trial_.reset();
    if (performance.DeviceOpen()) {
        window_.WithdrawStandingWarning();
    }
}

}  // namespace plinkora
