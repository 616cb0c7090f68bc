#include "shell/command_line.h"

#include <QString>
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace plinkora {

namespace {

constexpr const char* kUsage =
    "Usage: plinkora [FILE.plk]\n"
    "       plinkora --help | --version\n"
    "\n"
    "Plays music on the computer keyboard: 45 keys sound the notes of a numbered-notation\n"
    "layout in one of 24 key signatures; performances are recorded, played back, saved as\n"
    ".plk documents and exported as Standard MIDI Files.\n"
    "\n"
    "  FILE.plk   a performance to open at start and play once. The arguments are one path,\n"
    "             joined with spaces; a document named --help is opened as ./--help.\n"
    "  --help     this text\n"
    "  --version  the program's version\n"
    "\n"
    "Environment:\n"
    "  PLINKORA_SOUNDFONT  the SoundFont of the built-in synthesizer; default: the\n"
    "                      system's General MIDI SoundFont\n"
    "\n"
    "Plinkora reads tips.txt and writes tips.log in the folder it starts in; started from\n"
    "the desktop's menu, that is ~/.local/share/plinkora. plinkora-convert turns .plk\n"
    "documents into .mid and .wav files from the command line.\n"
    "\n"
    "Exit status: 0, or 1 when no graphical display can be opened.\n";

void NoDisplay(const char* why) {
    std::fprintf(stderr, "plinkora: no graphical display %s\n", why);
}

bool Set(const char* variable) {
    const char* value = std::getenv(variable);
    return value && *value;
}

struct HeldMessage {
    QtMsgType type;
    std::string text;
};

std::vector<HeldMessage>& HeldMessages() {
    static std::vector<HeldMessage> held;
    return held;
}

QtMessageHandler previousHandler = nullptr;

void HoldOrEnd(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    // Qt's only fatal message while the application is made: no platform plugin could start.
    if (type == QtFatalMsg) {
        std::string where;
        for (const char* variable : {"WAYLAND_DISPLAY", "DISPLAY"}) {
            if (Set(variable)) {
                where +=
                    std::string(where.empty() ? "" : ", ") + variable + "=" + std::getenv(variable);
            }
        }
        if (where.empty()) {
            NoDisplay("(neither DISPLAY nor WAYLAND_DISPLAY is set)");
        } else {
            NoDisplay(("could be opened (" + where + ")").c_str());
        }
        std::_Exit(1);
    }
    std::string text = message.toStdString();
    if (context.category && std::strcmp(context.category, "default") != 0) {
        text = std::string(context.category) + ": " + text;
    }
    HeldMessages().push_back({type, std::move(text)});
}

}  // namespace

std::optional<int> AnswerInformationOption(int argc, char* argv[]) {
    if (argc != 2) {
        return std::nullopt;
    }
    if (std::strcmp(argv[1], "--help") == 0) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (std::strcmp(argv[1], "--version") == 0) {
        std::printf("plinkora %s\n", PLINKORA_VERSION);
        return 0;
    }
    return std::nullopt;
}

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

DisplayOpeningGuard::DisplayOpeningGuard() {
    previousHandler = qInstallMessageHandler(HoldOrEnd);
}

DisplayOpeningGuard::~DisplayOpeningGuard() {
    qInstallMessageHandler(previousHandler);
    for (const HeldMessage& held : HeldMessages()) {
        std::fprintf(stderr, "%s\n", held.text.c_str());
    }
    HeldMessages().clear();
}

}  // namespace plinkora
