#pragma once

#include <QMessageBox>
#include <QPointer>

#include "window/prompts.h"

namespace plinkora {

class SynthControl;

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

    std::optional<ExportChoice> ChooseExport(ShellWindow* owner, const std::string& lastPath,
                                             bool audioOffered) override;
    std::unique_ptr<ProgressShown> ShowProgress(ShellWindow* owner,
                                                const std::string& text) override;

    // The built-in synthesizer, where there is one; it must outlive these prompts' use.
    void SetSynthesizer(SynthControl* synth) { synth_ = synth; }

  private:
    // The owner as a widget: every window of this front end is one.
    static QWidget* Widget(ShellWindow* owner);
    void ShowSynthesizerDialog(ShellWindow* owner);

    QPointer<QMessageBox> standingWarning_;
    SynthControl* synth_ = nullptr;
};

}  // namespace plinkora
