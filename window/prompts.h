#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace plinkora {

class ShellWindow;

enum class MessageIcon { None, Information, Warning, Error, Question };
enum class Answer { Yes, No, Cancel };
enum class FileDialogKind { OpenDocument, SaveDocument, ExportMidi };
// Synthesizer is the built-in synthesizer's dialog, only where there is one.
enum class DialogKind { TipsAtStartup, TipOfTheDay, About, Help, Synthesizer };

// What "Export" writes, chosen by the file type of the export dialog or the name's extension.
enum class ExportKind {
    StandardMidi,  // the notes at the key's own octave, without the pedal
    MidiAsPlayed,  // with the octave shifts of Shift and Ctrl, and the pedal
    WaveAudio,     // the sound of the built-in synthesizer, as playback sounds it
};
struct ExportChoice {
    std::string path;
    ExportKind kind = ExportKind::StandardMidi;
};

// The export dialog's file types, in the order offered; each one's kind and suffix.
struct ExportType {
    const char* filter;  // the name, with the pattern in brackets
    const char* pattern;
    ExportKind kind;
    const char* suffix;
};
inline constexpr ExportType kExportTypes[] = {
    {"Midi Files(*.mid)", "*.mid", ExportKind::StandardMidi, "mid"},
    {"Midi Files as played, with octave shifts and pedal(*.mid)", "*.mid", ExportKind::MidiAsPlayed,
     "mid"},
    {"WAV audio(*.wav)", "*.wav", ExportKind::WaveAudio, "wav"},
};

// A long piece of work shown to the user while it runs, with a way to cancel it; it is taken
// away when this goes.
class ProgressShown {
  public:
    virtual ~ProgressShown() = default;
    // done is 0..1; false once the user cancelled.
    virtual bool Advance(double done) = 0;
};

// Everything that waits for the user: message boxes, the save-changes question, the file
// dialogs and the program's own dialogs. Each front end shows them its own way; tests answer
// them instead of a person. owner is the window they belong to, or none.
class Prompts {
  public:
    virtual ~Prompts() = default;
    // Warnings and errors beep first.
    virtual void ShowMessage(ShellWindow* owner, MessageIcon icon, const std::string& caption,
                             const std::string& text) = 0;
    // Yes, No and Cancel with the question icon; closing the box answers Cancel.
    virtual Answer AskYesNoCancel(ShellWindow* owner, const std::string& caption,
                                  const std::string& text) = 0;
    // Opens on lastPath; the chosen full path, or nothing when cancelled.
    virtual std::optional<std::string> ChooseFile(ShellWindow* owner, FileDialogKind kind,
                                                  const std::string& lastPath) = 0;
    virtual void ShowDialog(ShellWindow* owner, DialogKind kind) = 0;
    // A warning about something that may mend by itself (a lost device that comes back): it
    // does not hold the caller, shows once however often it is asked for while it is up, and
    // WithdrawStandingWarning takes it away once it no longer holds.
    virtual void ShowStandingWarning(ShellWindow* owner, const std::string& caption,
                                     const std::string& text) = 0;
    virtual void WithdrawStandingWarning() = 0;

    // The additions below have defaults, so that a front end offers them when it can.

    // The export dialog with its kinds by file type; WAV only with audioOffered. Gives the name
    // as typed and the chosen type's kind; the name's extension has the last word
    // (DecideExport). The default offers the standard MIDI file alone, through ChooseFile.
    virtual std::optional<ExportChoice> ChooseExport(ShellWindow* owner,
                                                     const std::string& lastPath,
                                                     bool audioOffered) {
        static_cast<void>(audioOffered);
        std::optional<std::string> path = ChooseFile(owner, FileDialogKind::ExportMidi, lastPath);
        if (!path) {
            return std::nullopt;
        }
        return ExportChoice{*path, ExportKind::StandardMidi};
    }
    // Progress of a long export, with Cancel. The default shows nothing and never cancels.
    virtual std::unique_ptr<ProgressShown> ShowProgress(ShellWindow* owner,
                                                        const std::string& text) {
        static_cast<void>(owner);
        static_cast<void>(text);
        return nullptr;
    }
};

}  // namespace plinkora
