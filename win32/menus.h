#pragma once

#include <windows.h>

#include <vector>

#include "window/menu_table.h"

namespace plinkora {

// The menu bar of the shared menu table as a Win32 menu. Items carry their command
// identifiers, so checking, enabling and dispatch go by identifier alone.
HMENU CreateMenuBar(const std::vector<MenuEntry>& entries);

// The Alt+letter accelerators of the table's items: they answer wherever the keyboard is.
HACCEL CreateAccelerators(const std::vector<MenuEntry>& entries);

// The Alt accelerators of the table, in its order, as the accelerator table holds them.
std::vector<ACCEL> AcceleratorEntries(const std::vector<MenuEntry>& entries);

bool MenuItemEnabled(HMENU menu, int commandId);

}  // namespace plinkora
