#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

#include "view/key_legends.h"

struct xkb_keymap;

namespace plinkora {

// What a keysym puts on a cap: its character, or for a dead key the accent it adds ("´" for
// dead_acute); empty for a keysym that types nothing.
QString KeysymLegend(uint32_t keysym);

// The drawn keys' prints in one layout (group) of an xkbcommon keymap, by the keys' evdev codes.
KeyLegends LegendsFromKeymap(xkb_keymap* keymap, uint32_t layoutIndex);

// The prints of the given layout (group) of a keymap in xkbcommon's text form, as a Wayland
// compositor sends it; a group past the keymap's last layout wraps round, as XKB's do. None
// where the text is no keymap.
std::optional<KeyLegends> LegendsFromKeymapText(const QByteArray& text, uint32_t group);

// The prints of a layout named as setxkbmap names it ("de", "fr"; variant may be empty), from
// the system's keyboard data; none where that data or the layout is missing.
std::optional<KeyLegends> LegendsForLayout(const char* layout, const char* variant = "");

}  // namespace plinkora
