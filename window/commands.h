#pragma once

#include "window/shell.h"

namespace plinkora {

// Carries out any command identifier, whoever sent it: a menu item, an accelerator, a toolbar
// or transport button, the auto-play timer or the end of a playback. Identifier ranges are
// taken whole.
void DispatchCommand(Shell& shell, int commandId);

// Moves the menus' check marks to the engine's choices: device, open or closed, track,
// instrument, key signature and bourdon.
void ShowChoices(Shell& shell);

}  // namespace plinkora
