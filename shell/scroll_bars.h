#pragma once

#include <cstdint>
#include <optional>

#include "engine/performance.h"
#include "window/bar_keys.h"

class QScrollBar;
class QWidget;

namespace plinkora {

// The engine's handler of one bar: the bar's new position, or nothing to leave it.
using ScrollHandler = std::optional<int32_t> (*)(Performance&, int code, int32_t thumbPosition);

// A vertical bar with the range and first position given, reporting its moves as scroll codes
// (line, page, thumb track while dragged, thumb position when released) to handler. The
// handler decides where the thumb goes; the bar never keeps the keyboard.
QScrollBar* CreateControlBar(QWidget* parent, int32_t minimum, int32_t maximum, int32_t position,
                             int32_t pageStep, Performance& performance, ScrollHandler handler);

// The window's two bars as the bar keys move them.
class QtBars final : public Bars {
  public:
    QtBars(QScrollBar& force, QScrollBar& freq) : force_(force), freq_(freq) {}
    void StepForce(ScrollCode code) override;
    void HoldFreq(bool up) override;
    void ReleaseFreq() override;

  private:
    QScrollBar& force_;
    QScrollBar& freq_;
};

}  // namespace plinkora
