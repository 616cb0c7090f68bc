#pragma once

#include <QObject>
#include <QTimer>

#include "window/device_recovery.h"

namespace plinkora {

class MainWindow;

// The device's recovery on Qt's event loop: its two timers, and the outputs' reports carried
// onto the window thread. Window thread.
class DeviceWatch final : public QObject, private RecoveryWindow {
  public:
    DeviceWatch(MainWindow& window, MidiOutputs& outputs);
    ~DeviceWatch() override;
    DeviceWatch(const DeviceWatch&) = delete;
    DeviceWatch& operator=(const DeviceWatch&) = delete;

    void BeforeCommand(int commandId) { recovery_.BeforeCommand(commandId); }
    void ReleasesOwed() { recovery_.ReleasesOwed(); }

    static constexpr int kRetryMs = DeviceRecovery::kRetryMs;

  private:
    // RecoveryWindow
    Performance& WatchedPerformance() override;
    bool CommandEnabled(int commandId) const override;
    void RunCommand(int commandId) override;
    void ShowStandingWarning(std::string_view text) override;
    void WithdrawStandingWarning() override;
    void SetRetrying(bool on) override;
    void SetPayingOwed(bool on) override;

    MainWindow& window_;
    MidiOutputs& outputs_;
    DeviceRecovery recovery_;
    QTimer retry_;
    QTimer owedRetry_;
};

}  // namespace plinkora
