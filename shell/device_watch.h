#pragma once

#include <QObject>
#include <QTimer>
#include <cstdint>

namespace plinkora {

class MainWindow;
class MidiOutputs;

// Watches the open MIDI device for a lost output (its sound server went away, say). A lost
// device is shown closed as the user's Close shows it, with the warning of a failed opening, and
// a playback in progress ends; once the device opens again it comes back by itself, unless the
// user has chosen, opened or closed a device in the meantime. Window thread.
class DeviceWatch final : public QObject {
  public:
    DeviceWatch(MainWindow& window, MidiOutputs& outputs);
    ~DeviceWatch() override;
    DeviceWatch(const DeviceWatch&) = delete;
    DeviceWatch& operator=(const DeviceWatch&) = delete;

    // Before each command: the user's own device commands end the waiting for a reopening.
    void BeforeCommand(int commandId);

    static constexpr int kRetryMs = 1000;

  private:
    void CheckDevice();
    void TryReopen();

    MainWindow& window_;
    MidiOutputs& outputs_;
    QTimer retry_;
    int32_t lostDevice_ = 0;
    bool waiting_ = false;
};

}  // namespace plinkora
