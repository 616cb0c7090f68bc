#pragma once

#include <cstdint>

namespace plinkora {

// A key of the typing keyboard going down or up, as the engine hears it from the keyboard and
// from a click on a cap alike.
struct KeyStroke {
    uint32_t scanCode = 0;  // PC scan code (set 1), 0..255, plus 0x100 for an extended key
    bool down = false;
    bool repeat = false;  // a press the keyboard repeated while the key was held
};

constexpr KeyStroke KeyPress(uint32_t scanCode, bool repeat = false) {
    return {scanCode, true, repeat};
}
constexpr KeyStroke KeyRelease(uint32_t scanCode) {
    return {scanCode, false, false};
}

}  // namespace plinkora
