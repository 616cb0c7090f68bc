#pragma once

#include <QTimer>
#include <cstdint>
#include <functional>
#include <optional>
#include <set>

#include "engine/key_stroke.h"
#include "window/bar_keys.h"

class QKeyEvent;

namespace plinkora {

// Turns the window's key events into the engine's key strokes: the PC scan code from
// the native event, auto-repeat marked, accelerators kept away from the notes, and Esc.
class KeyInput {
  public:
    using KeySink = std::function<void(const KeyStroke& key)>;
    using EscapeSink = std::function<void()>;

    // nativeOffset: what the platform adds to the PC scan code (8 on X11 and Wayland).
    KeyInput(uint32_t nativeOffset, KeySink onKey, EscapeSink onEscape);

    // True when the event was taken.
    bool Press(const QKeyEvent& event);
    bool Release(const QKeyEvent& event);
    // Sees a key before Qt offers it to the accelerators, which then keep its press.
    void BeforeShortcut(const QKeyEvent& event);
    // Delivers a release still held back to see whether it was half of a repeat.
    void Flush();
    // Releases every key still down, for when the keyboard goes elsewhere (a menu opens,
    // another window is activated) and their releases will never come here.
    void ReleaseAll();
    bool HoldsRelease() const { return heldRelease_.has_value(); }

    // How long a release waits for a press with the same time stamp.
    static constexpr int kRepeatPairWindowMs = 4;

  private:
    struct HeldRelease {
        uint32_t scanCode;
        uint64_t timestamp;
    };

    std::optional<uint32_t> ScanCodeOf(const QKeyEvent& event) const;
    void Deliver(const KeyStroke& key);

    uint32_t nativeOffset_;
    KeySink onKey_;
    EscapeSink onEscape_;
    std::optional<HeldRelease> heldRelease_;
    std::set<uint32_t> down_;  // scan codes whose press was delivered and release not yet
    QTimer releaseTimer_;
    std::set<int> pressedWithAlt_;  // Qt key codes: an accelerator's press has no scan code
};

// The digit 1..8 of the number-row key pressed with Alt, taken by the key's position: on an
// AZERTY keyboard the key of "1" types "&" and Alt with it opens the first menu all the same.
// None for other keys, and for a key that types its digit (Qt opens that menu itself).
std::optional<int> MenuDigitByPosition(const QKeyEvent& event, uint32_t nativeOffset);

// The offset of the running platform's native scan codes.
uint32_t NativeScanCodeOffset();

}  // namespace plinkora
