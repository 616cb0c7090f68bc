#pragma once

#include <optional>

#include "view/key_legends.h"

namespace plinkora::x11keymap {

// The legends of the X server's keymap in the layout (group) now active; none when the
// program does not run on X11 or the server has no keyboard extension.
std::optional<KeyLegends> Read();

// True for an event of the X server that may change what the keys type: a new keyboard, a new
// keymap, or a switch to another layout of the keymap.
bool ChangesLegends(const void* xcbEvent);

}  // namespace plinkora::x11keymap
