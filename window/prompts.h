#pragma once

#include <optional>
#include <string>

namespace plinkora {

class ShellWindow;

enum class MessageIcon { None, Information, Warning, Error, Question };
enum class Answer { Yes, No, Cancel };
enum class FileDialogKind { OpenDocument, SaveDocument, ExportMidi };
enum class DialogKind { TipsAtStartup, TipOfTheDay, About, Help };

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
};

}  // namespace plinkora
