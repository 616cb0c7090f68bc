#include "win32/cursors.h"

namespace plinkora {

ProgramCursor::~ProgramCursor() {
    if (own_) {
        DestroyCursor(cursor_);
    }
}

HCURSOR ProgramCursor::ForDpi(UINT dpi) {
    if (cursor_ != nullptr && dpi == dpi_) {
        return cursor_;
    }
    if (own_) {
        DestroyCursor(cursor_);
    }
    const int size = MulDiv(32, int(dpi), USER_DEFAULT_SCREEN_DPI);
    cursor_ =
        static_cast<HCURSOR>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resource_),
                                        IMAGE_CURSOR, size, size, LR_DEFAULTCOLOR));
    own_ = cursor_ != nullptr;
    if (!own_) {
        cursor_ = LoadCursorW(nullptr, IDC_HAND);
    }
    dpi_ = dpi;
    return cursor_;
}

}  // namespace plinkora
