#pragma once

#include <QMessageBox>
#include <QPointer>

#include "window/prompts.h"

namespace plinkora {

// The real prompts: QMessageBox, QFileDialog and the dialogs of dialogs/.
class QtPrompts final : public Prompts {
  public:
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

  private:
    // The owner as a widget: every window of this front end is one.
    static QWidget* Widget(ShellWindow* owner);

    QPointer<QMessageBox> standingWarning_;
};

}  // namespace plinkora
