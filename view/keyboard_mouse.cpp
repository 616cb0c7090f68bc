#include <QMouseEvent>
#include <cmath>

#include "engine/key_stroke.h"
#include "view/artwork.h"
#include "view/keyboard_view.h"

namespace plinkora {

// A press on a playing cap plays that key as if it had been typed, and the release (which Qt
// delivers here even outside the window) releases it. One key at a time.

// On a scaled view the keys are hit where they are drawn.
std::optional<int> KeyboardView::KeyAt(QPointF position) const {
    position /= scale_;
    const int rx = static_cast<int>(std::floor(position.x())) - origin_.x;
    const int ry = static_cast<int>(std::floor(position.y())) - origin_.y;
    return HitKey(rx, ry);
}

void KeyboardView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    const std::optional<int> key = KeyAt(event->position());
    if (!key) {
        return;
    }
    // A release lost to another window must not leave the earlier note sounding.
    ReleaseMouseKey();
    mouseKey_ = *key;
    emit MouseKey(KeyPress(static_cast<uint32_t>(*key)));
}

void KeyboardView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        ReleaseMouseKey();
    }
}

void KeyboardView::ReleaseMouseKey() {
    if (mouseKey_ >= kKeyTableSize) {
        return;
    }
    const int key = mouseKey_;
    mouseKey_ = kNoMouseKey;
    emit MouseKey(KeyRelease(static_cast<uint32_t>(key)));
}

// The open hand shows over the playing caps only; moving never plays, even with the button held.
void KeyboardView::mouseMoveEvent(QMouseEvent* event) {
    const bool onKey = KeyAt(event->position()).has_value();
    if (onKey == keyCursorShown_) {
        return;
    }
    keyCursorShown_ = onKey;
    if (onKey) {
        setCursor(artwork::OpenHandCursor());
    } else {
        unsetCursor();
    }
}

}  // namespace plinkora
