#include <QApplication>
#include <string>

#include "dialogs/dialogs.h"
#include "engine/system_midi_outputs.h"
#include "recording/clock.h"
#include "shell/main_window.h"
#include "shell/qt_modifier_keys.h"
#include "shell/qt_prompts.h"

namespace {

// The arguments after the program's name are one document path, so that a path with spaces
// opens without quotation marks.
std::string CommandLineDocument(int argc, char* argv[]) {
    std::string path;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) {
            path += ' ';
        }
        path += argv[i];
    }
    return path;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);  // takes Qt's own options out of argv
    QApplication::setApplicationName(QStringLiteral("Plinkora"));
    const std::string document = CommandLineDocument(argc, argv);

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
