#include "shell/device_watch.h"

#include <QAction>

#include "shell/main_window.h"

namespace plinkora {

namespace {

void Run(QTimer& timer, bool on) {
    if (on) {
        timer.start();
    } else {
        timer.stop();
    }
}

}  // namespace

DeviceWatch::DeviceWatch(MainWindow& window, MidiOutputs& outputs)
    : window_(window), outputs_(outputs), recovery_(*this, outputs) {
    retry_.setInterval(DeviceRecovery::kRetryMs);
    connect(&retry_, &QTimer::timeout, this, [this] { recovery_.TryReopen(); });
    owedRetry_.setInterval(DeviceRecovery::kOwedRetryMs);
    connect(&owedRetry_, &QTimer::timeout, this, [this] { recovery_.PayOwed(); });
    outputs_.SetLossListener([this] {
        QMetaObject::invokeMethod(
            this, [this] { recovery_.CheckDevice(); }, Qt::QueuedConnection);
    });
}

DeviceWatch::~DeviceWatch() {
    outputs_.SetLossListener({});
}

Performance& DeviceWatch::WatchedPerformance() {
    return window_.performance();
}

bool DeviceWatch::CommandEnabled(int commandId) const {
    const QAction* action = window_.Action(commandId);
    return action != nullptr && action->isEnabled();
}

void DeviceWatch::RunCommand(int commandId) {
    window_.Command(commandId);
}

void DeviceWatch::ShowStandingWarning(std::string_view text) {
    window_.ShowStandingWarning(text);
}

void DeviceWatch::WithdrawStandingWarning() {
    window_.WithdrawStandingWarning();
}

void DeviceWatch::SetRetrying(bool on) {
    Run(retry_, on);
}

void DeviceWatch::SetPayingOwed(bool on) {
    Run(owedRetry_, on);
}

}  // namespace plinkora
