#pragma once

#include <QString>

namespace plinkora {

class KeyboardView;

// Screen readers see the view as what it paints: the instrument label, the group "Keyboard"
// with one child per playing key (pressed while its note sounds), the status line and the
// hint, beside the bars and buttons placed on it. Installing twice does no harm.
void InstallKeyboardAccessibility();

// Called by the view after a key's cap was drawn: the key may have begun or stopped sounding.
void KeyboardKeyChanged(KeyboardView* view, int keyIndex);
// Called by the view when the keys' names changed with the keyboard layout.
void KeyboardLegendsChanged(KeyboardView* view);
// Called by the view after a full repaint: any key and any painted text may have changed.
void KeyboardRepainted(KeyboardView* view);

}  // namespace plinkora
