#pragma once

#include <QObject>

class QMenuBar;

namespace plinkora {

// A lone tap of Alt gives the menu bar the keyboard. With a screen reader listening, the Alt of
// an accelerator can reach the program only after the letter it came with, and so look like a
// lone tap: the menu bar would then take the notes played next, a digit opening a menu. This
// guard hands the keyboard back when the Alt released is an accelerator's.
class AltReleaseGuard final : public QObject {
  public:
    explicit AltReleaseGuard(QMenuBar& menuBar);
    ~AltReleaseGuard() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QMenuBar& menuBar_;
    bool acceleratorBeforeAlt_ = false;
};

}  // namespace plinkora
