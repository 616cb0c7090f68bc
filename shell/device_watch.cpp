#include "shell/device_watch.h"

#include <QAction>

#include "engine/midi_output.h"
#include "recording/playback.h"
#include "shell/command_ids.h"
#include "shell/main_window.h"

namespace plinkora {

DeviceWatch::DeviceWatch(MainWindow& window, MidiOutputs& outputs)
    : window_(window), outputs_(outputs) {
    retry_.setInterval(kRetryMs);
    connect(&retry_, &QTimer::timeout, this, [this] { TryReopen(); });
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
    }
}

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
    window_.ShowWarning(kCannotOpenDevice);  // modal: the device may come back meanwhile
}

// A quiet trial opening first, so that a server still away shows no warning every second.
void DeviceWatch::TryReopen() {
    const Performance& performance = window_.performance();
    if (!waiting_ || performance.DeviceOpen() || performance.deviceId != lostDevice_) {
        retry_.stop();
        return;
    }
    std::unique_ptr<MidiDevice> trial = outputs_.Open(lostDevice_);
    if (!trial || trial->Lost()) {
        return;
    }
    window_.Command(kOpenDeviceCommand);  // while the trial holds the output open
}

}  // namespace plinkora
