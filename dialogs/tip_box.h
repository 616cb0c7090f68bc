#pragma once

#include <QDialog>

#include "window/tips.h"

class QCheckBox;
class QPlainTextEdit;
class QPushButton;

namespace plinkora {

// "Tip of the Day": one tip at a time, the start-up choice, and the way to the next tip. The
// rules live in TipBoxRules; this is their window.
class TipBox : public QDialog {
    Q_OBJECT

  public:
    TipBox(TipState& state, std::string logName, QWidget* owner = nullptr);

    // Shows the box modally unless the tip due is too long to show.
    void Run();

    QString ShownText() const;

  public slots:
    void reject() override;  // Esc and the title bar's close button are "&Close"

  private:
    void Show(std::optional<std::string_view> tip);

    TipBoxRules rules_;
    bool ended_ = false;
    QPlainTextEdit* text_;
    QCheckBox* showAtStartup_;
    QPushButton* next_;
    QPushButton* close_;
};

}  // namespace plinkora
