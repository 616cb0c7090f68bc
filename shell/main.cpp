#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "dialogs/dialogs.h"
#include "engine/devices/background_work.h"
#include "recording/atomic_file.h"
#include "recording/clock.h"
#include "shell/command_line.h"
#include "shell/main_window.h"
#include "shell/qt_modifier_keys.h"
#include "shell/qt_prompts.h"
#include "shell/startup_devices.h"

namespace {

constexpr std::chrono::milliseconds kLongestQuitWait{500};

}  // namespace

int main(int argc, char* argv[]) {
    if (std::optional<int> status = plinkora::AnswerInformationOption(argc, argv)) {
        return *status;
    }
    plinkora::RemoveTemporaryFilesOnSignals();
    std::optional<plinkora::DisplayOpeningGuard> guard(std::in_place);
    QApplication app(argc, argv);  // takes Qt's own options out of argv
    guard.reset();
    QApplication::setApplicationName(QStringLiteral("Plinkora"));
    const std::string document = plinkora::CommandLineDocument(argc, argv);

    plinkora::ShowSplash();
    plinkora::QtModifierKeys modifiers;
    plinkora::QtPrompts prompts;
    plinkora::StartupDevices devices =
        plinkora::OpenStartupDevices(plinkora::DefaultSynthSettingsFile(), prompts);
    prompts.SetSynthesizer(devices.synth.get());
    plinkora::SteadyMillisecondClock clock;
    std::unique_ptr<plinkora::MainWindow> window = plinkora::MainWindow::Create(
        {*devices.outputs, modifiers, prompts, clock, devices.synth.get()}, document);
    if (!window) {
        return 0;
    }
    window->show();
    // Shown windows take the keyboard, so the accelerators answer at once, window manager or not.
    window->activateWindow();
    const int status = QApplication::exec();
    window.reset();  // closes the device, which may leave its closing to the background
    // A frozen sound server may hold a closing for ever: the program does not wait for it.
    if (!plinkora::WaitForBackgroundWork(kLongestQuitWait)) {
        std::fflush(nullptr);
        std::_Exit(status);
    }
    return status;
}
