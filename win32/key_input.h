#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <set>

#include "engine/key_stroke.h"

namespace plinkora {

// The key a WM_KEYDOWN or WM_KEYUP carries in its key data: the PC scan code in bits 16-23,
// the extended prefix in bit 24 (as 0x100 on the scan code), auto-repeat in bit 30. The keypad's
// divide key plays as its twin "/" does. None for a key without a scan code.
std::optional<KeyStroke> KeyStrokeOf(bool down, LPARAM keyData);

// The keys whose press went to the engine and whose release has not: a release is passed on
// only for those, so a key that went down elsewhere (with Alt, in a menu, in another window)
// never ends a note it did not start.
class HeldKeys {
  public:
    using KeySink = std::function<void(const KeyStroke& key)>;
    explicit HeldKeys(KeySink sink) : sink_(std::move(sink)) {}

    void Handle(const KeyStroke& key);
    // For when the keyboard goes elsewhere and the releases will not come here.
    void ReleaseAll();

  private:
    KeySink sink_;
    std::set<uint32_t> down_;
};

}  // namespace plinkora
