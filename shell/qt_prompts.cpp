#include "shell/qt_prompts.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QProgressDialog>

#include "dialogs/dialogs.h"
#include "shell/synth_dialog.h"
#include "shell/synth_settings.h"
#include "window/shell.h"

namespace plinkora {

namespace {

QMessageBox::Icon BoxIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Information:
            return QMessageBox::Information;
        case MessageIcon::Warning:
            return QMessageBox::Warning;
        case MessageIcon::Error:
            return QMessageBox::Critical;
        case MessageIcon::Question:
            return QMessageBox::Question;
        case MessageIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

struct FileDialogSetup {
    const char* filter;
    const char* suffix;
    bool save;
};

FileDialogSetup SetupOf(FileDialogKind kind) {
    switch (kind) {
        case FileDialogKind::OpenDocument:
            return {"Plinkora Files(*.plk)", "plk", false};
        case FileDialogKind::SaveDocument:
            return {"Plinkora Files(*.plk)", "plk", true};
        case FileDialogKind::ExportMidi:
            break;
    }
    return {"Midi Files(*.mid)", "mid", true};
}

class QtProgress final : public ProgressShown {
  public:
    QtProgress(QWidget* owner, const QString& text)
        : dialog_(text, QStringLiteral("Cancel"), 0, 1000, owner) {
        dialog_.setWindowTitle(QStringLiteral("Plinkora"));
        dialog_.setWindowModality(Qt::WindowModal);
        dialog_.setMinimumDuration(300);  // a short take is done before it would show
        dialog_.setValue(0);
    }
    bool Advance(double done) override {
        // A modal progress dialog lets the events through as its value changes, Cancel too.
        dialog_.setValue(static_cast<int>(done * 1000));
        return !dialog_.wasCanceled();
    }

  private:
    QProgressDialog dialog_;
};

}  // namespace

QWidget* QtPrompts::Widget(ShellWindow* owner) {
    return dynamic_cast<QWidget*>(owner);
}

void QtPrompts::ShowMessage(ShellWindow* owner, MessageIcon icon, const std::string& caption,
                            const std::string& text) {
    if (icon == MessageIcon::Warning || icon == MessageIcon::Error) {
        QApplication::beep();
    }
    QMessageBox box(BoxIcon(icon), QString::fromStdString(caption), QString::fromStdString(text),
                    QMessageBox::Ok, Widget(owner));
    box.exec();
}

Answer QtPrompts::AskYesNoCancel(ShellWindow* owner, const std::string& caption,
                                 const std::string& text) {
    QMessageBox box(QMessageBox::Question, QString::fromStdString(caption),
                    QString::fromStdString(text),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, Widget(owner));
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
        case QMessageBox::Yes:
            return Answer::Yes;
        case QMessageBox::No:
            return Answer::No;
        default:
            return Answer::Cancel;
    }
}

std::optional<std::string> QtPrompts::ChooseFile(ShellWindow* owner, FileDialogKind kind,
                                                 const std::string& lastPath) {
    const FileDialogSetup setup = SetupOf(kind);
    QFileDialog dialog(Widget(owner));
    dialog.setNameFilter(QString::fromLatin1(setup.filter));
    dialog.setDefaultSuffix(QString::fromLatin1(setup.suffix));
    if (setup.save) {
        // Asks before replacing an existing file.
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    const QString last = QFile::decodeName(QByteArray::fromStdString(lastPath));
    if (last.endsWith(QLatin1Char('/'))) {
        dialog.setDirectory(last);  // a folder to start in, with no name offered
    } else if (!last.isEmpty()) {
        dialog.selectFile(last);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return QFile::encodeName(dialog.selectedFiles().constFirst()).toStdString();
}

void QtPrompts::ShowDialog(ShellWindow* owner, DialogKind kind) {
    switch (kind) {
        case DialogKind::TipsAtStartup:
            LoadTipsAtStartup(Widget(owner));
            break;
        case DialogKind::TipOfTheDay:
            ShowTipOfTheDay(Widget(owner));
            break;
        case DialogKind::About:
            ShowAboutBox(Widget(owner));
            break;
        case DialogKind::Help:
            ShowHelp(Widget(owner));
            break;
        case DialogKind::Synthesizer:
            ShowSynthesizerDialog(owner);
            break;
    }
}

// Modal to the window, as the other warnings are, but without a nested event loop: the device
// watch goes on, and can take the warning away when the device is back.
void QtPrompts::ShowStandingWarning(ShellWindow* owner, const std::string& caption,
                                    const std::string& text) {
    if (standingWarning_) {
        return;
    }
    QApplication::beep();
    standingWarning_ =
        new QMessageBox(QMessageBox::Warning, QString::fromStdString(caption),
                        QString::fromStdString(text), QMessageBox::Ok, Widget(owner));
    standingWarning_->setAttribute(Qt::WA_DeleteOnClose);
    standingWarning_->open();
}

// The keys go back to the window the warning had taken them from.
void QtPrompts::WithdrawStandingWarning() {
    if (!standingWarning_) {
        return;
    }
    QWidget* owner = standingWarning_->parentWidget();
    const bool hadKeyboard = standingWarning_->isActiveWindow();
    standingWarning_->close();
    if (owner && hadKeyboard) {
        owner->activateWindow();
    }
}

std::optional<ExportChoice> QtPrompts::ChooseExport(ShellWindow* owner, const std::string& lastPath,
                                                    bool audioOffered) {
    QFileDialog dialog(Widget(owner));
    QStringList filters;
    for (const ExportType& type : kExportTypes) {
        if (type.kind != ExportKind::WaveAudio || audioOffered) {
            filters << QString::fromLatin1(type.filter);
        }
    }
    dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(QStringLiteral("mid"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);  // asks before replacing a file
    dialog.setFileMode(QFileDialog::AnyFile);
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& f) {
        for (const ExportType& type : kExportTypes) {
            if (f == QLatin1String(type.filter)) {
                dialog.setDefaultSuffix(QString::fromLatin1(type.suffix));
            }
        }
    });
    const QString last = QFile::decodeName(QByteArray::fromStdString(lastPath));
    if (last.endsWith(QLatin1Char('/'))) {
        dialog.setDirectory(last);
    } else if (!last.isEmpty()) {
        dialog.selectFile(last);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    ExportChoice choice{QFile::encodeName(dialog.selectedFiles().constFirst()).toStdString()};
    for (const ExportType& type : kExportTypes) {
        if (dialog.selectedNameFilter() == QLatin1String(type.filter)) {
            choice.kind = type.kind;
        }
    }
    return choice;
}

std::unique_ptr<ProgressShown> QtPrompts::ShowProgress(ShellWindow* owner,
                                                       const std::string& text) {
    return std::make_unique<QtProgress>(Widget(owner), QString::fromStdString(text));
}

void QtPrompts::ShowSynthesizerDialog(ShellWindow* owner) {
    if (!synth_) {
        return;
    }
    QWidget* parent = Widget(owner);
    SynthDialog dialog(
        *synth_,
        [this, owner](const std::string& text) {
            ShowMessage(owner, MessageIcon::Warning, "Plinkora", text);
        },
        [parent] {
            const QString path = QFileDialog::getOpenFileName(
                parent, QStringLiteral("SoundFont"), {},
                QStringLiteral("SoundFonts(*.sf2 *.sf3);;All files(*)"));
            return QFile::encodeName(path).toStdString();
        },
        parent);
    dialog.exec();
}

}  // namespace plinkora
