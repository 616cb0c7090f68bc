#include <QApplication>
#include <optional>
#include <string>

#include "dialogs/dialogs.h"
#include "engine/system_midi_outputs.h"
#include "recording/atomic_file.h"
#include "recording/clock.h"
#include "shell/command_line.h"
#include "shell/main_window.h"
#include "shell/qt_modifier_keys.h"
#include "shell/qt_prompts.h"

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
    std::unique_ptr<plinkora::MidiOutputs> outputs = plinkora::CreateSystemMidiOutputs();
    plinkora::QtModifierKeys modifiers;
    plinkora::QtPrompts prompts;
    plinkora::SteadyMillisecondClock clock;
    std::unique_ptr<plinkora::MainWindow> window =
        plinkora::MainWindow::Create({*outputs, modifiers, prompts, clock}, document);
    if (!window) {
        return 0;
    }
    window->show();
    // Shown windows take the keyboard, so the accelerators answer at once, window manager or not.
    window->activateWindow();
    return QApplication::exec();
}
