#pragma once

#include <QObject>
#include <QTimer>
#include <cstdint>
#include <memory>

#include "engine/midi_device.h"

namespace plinkora {

class MainWindow;

// Watches the open MIDI device for a lost output (its sound server went away or froze, say). A
// lost device is shown closed as the user's Close shows it, with the warning of a failed
// opening, and a playback in progress ends; once the device opens again it comes back by itself
// and the warning goes, unless the user has chosen, opened or closed a device in the meantime.
// It also sends the releases the device did not take as soon as it takes words again. Window
// thread.
class DeviceWatch final : public QObject {
  public:
    DeviceWatch(MainWindow& window, MidiOutputs& outputs);
    ~DeviceWatch() override;
    DeviceWatch(const DeviceWatch&) = delete;
    DeviceWatch& operator=(const DeviceWatch&) = delete;

    // Before each command: the user's own device commands end the waiting for a reopening.
    void BeforeCommand(int commandId);
    // The device did not take a release: it is offered again until it does.
    void ReleasesOwed();

    static constexpr int kRetryMs = 1000;
    static constexpr int kOwedRetryMs = 20;

  private:
    void CheckDevice();
    void TryReopen();
    void PayOwed();

    MainWindow& window_;
    MidiOutputs& outputs_;
    QTimer retry_;
    QTimer owedRetry_;
    // A quiet opening of the lost device, kept while its server has not answered it yet.
    std::unique_ptr<MidiDevice> trial_;
    int32_t lostDevice_ = 0;
    bool waiting_ = false;
};

}  // namespace plinkora
