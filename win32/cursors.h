#pragma once

#include <windows.h>

namespace plinkora {

// One of the program's cursors (IDR_OPEN_HAND_CURSOR, IDR_POINTING_HAND_CURSOR) at the size that
// suits a screen: 32 pixels at 96 dpi and in proportion above, from the 64-pixel picture where
// it is the nearer. Loaded again when the resolution changes. Window thread.
class ProgramCursor {
  public:
    explicit ProgramCursor(int resource) : resource_(resource) {}
    ~ProgramCursor();
    ProgramCursor(const ProgramCursor&) = delete;
    ProgramCursor& operator=(const ProgramCursor&) = delete;

    // The system's hand where the program carries no cursor of that number.
    HCURSOR ForDpi(UINT dpi);

  private:
    int resource_;
    UINT dpi_ = 0;
    HCURSOR cursor_ = nullptr;
    bool own_ = false;  // loaded from the program, so destroyed with it
};

}  // namespace plinkora
