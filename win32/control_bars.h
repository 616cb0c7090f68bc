#pragma once

#include <windows.h>

#include "engine/performance.h"
#include "window/bar_keys.h"

namespace plinkora {

// The Force and Freq bars as standard vertical scroll bars: their scroll messages go to the
// engine's handlers, whose answer places the thumb. The bar keys move them the same way.
class ControlBars final : public Bars {
  public:
    ControlBars(HWND parent, Performance& performance);

    HWND Force() const { return force_; }
    HWND Freq() const { return freq_; }
    // A WM_VSCROLL from one of the bars; false for any other control.
    bool Scroll(HWND bar, int code);

    void StepForce(ScrollCode code) override;
    void HoldFreq(bool up) override;
    void ReleaseFreq() override;

  private:
    Performance& performance_;
    HWND force_;
    HWND freq_;
};

}  // namespace plinkora
