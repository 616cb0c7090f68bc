#include "win32/key_input.h"

#include <utility>

#include "window/bar_keys.h"

namespace plinkora {

std::optional<KeyStroke> KeyStrokeOf(bool down, LPARAM keyData) {
    constexpr uint32_t kSlash = 0x35;
    uint32_t scanCode = (uint32_t(keyData) >> 16) & 0xFF;
    if (scanCode == 0) {
        return std::nullopt;  // a key made up by a program, with no place on the keyboard
    }
    const bool extended = (keyData & (1 << 24)) != 0;
    if (extended && scanCode != kSlash) {
        scanCode |= kExtendedKey;
    }
    const bool repeat = down && (keyData & (1 << 30)) != 0;
    return KeyStroke{scanCode, down, repeat};
}

void HeldKeys::Handle(const KeyStroke& key) {
    if (key.down) {
        down_.insert(key.scanCode);
    } else if (down_.erase(key.scanCode) == 0) {
        return;
    }
    sink_(key);
}

void HeldKeys::ReleaseAll() {
    for (uint32_t scanCode : std::exchange(down_, {})) {
        sink_(KeyRelease(scanCode));
    }
}

}  // namespace plinkora
