#pragma once

#include <windows.h>

#include "window/prompts.h"

namespace plinkora {

class Artwork;

// Message boxes, the common file dialogs and the program's dialogs, owned by the main window.
class Win32Prompts final : public Prompts {
  public:
    explicit Win32Prompts(const Artwork& artwork) : artwork_(artwork) {}

    void ShowMessage(ShellWindow* owner, MessageIcon icon, const std::string& caption,
                     const std::string& text) override;
    Answer AskYesNoCancel(ShellWindow* owner, const std::string& caption,
                          const std::string& text) override;
    std::optional<std::string> ChooseFile(ShellWindow* owner, FileDialogKind kind,
                                          const std::string& lastPath) override;
    void ShowDialog(ShellWindow* owner, DialogKind kind) override;
    void ShowStandingWarning(ShellWindow* owner, const std::string& caption,
                             const std::string& text) override;
    void WithdrawStandingWarning() override;
    std::optional<ExportChoice> ChooseExport(ShellWindow* owner, const std::string& lastPath,
                                             bool audioOffered) override;

    // The standing warning, for the message loop's dialog keys; null while none is up.
    HWND StandingWarning() const { return standingWarning_; }

  private:
    const Artwork& artwork_;
    HWND standingWarning_ = nullptr;
};

// The main window's handle behind a shell window; null for none.
HWND OwnerHandle(ShellWindow* owner);

}  // namespace plinkora
