#pragma once

#include <QMessageBox>
#include <QPointer>

#include "shell/prompts.h"

namespace plinkora {

// The real prompts: QMessageBox, QFileDialog and the dialogs of dialogs/.
class QtPrompts final : public Prompts {
  public:
    void ShowMessage(QWidget* owner, MessageIcon icon, const std::string& caption,
                     const std::string& text) override;
    Answer AskYesNoCancel(QWidget* owner, const std::string& caption,
                          const std::string& text) override;
    std::optional<std::string> ChooseFile(QWidget* owner, FileDialogKind kind,
                                          const std::string& lastPath) override;
    void ShowDialog(QWidget* owner, DialogKind kind) override;
    void ShowStandingWarning(QWidget* owner, const std::string& caption,
                             const std::string& text) override;
    void WithdrawStandingWarning() override;

  private:
    QPointer<QMessageBox> standingWarning_;
};

}  // namespace plinkora
