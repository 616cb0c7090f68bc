#pragma once

#include <functional>
#include <map>

#include "engine/performance.h"
#include "window/menu_table.h"

class QAction;
class QMenuBar;
class QToolBar;

namespace plinkora {

// Every menu item and toolbar button says which command it stands for; the window looks its
// items up here by identifier.
using CommandActions = std::map<int, QAction*>;
using CommandHandler = std::function<void(int commandId)>;

// Builds the eight menus with their initial marks and states, the Alt+letter accelerators
// included. Without a MIDI mapper the first device becomes the chosen one.
CommandActions BuildMenuBar(QMenuBar& bar, Performance& performance, CommandHandler onCommand,
                            MenuOptions options = {});

// Opens the menu whose title carries the digit (1..8) as its mnemonic; false when none does.
bool OpenMenuByDigit(QMenuBar& bar, int digit);

// The 14 instrument shortcut buttons; each sends its instrument's menu command.
void BuildInstrumentToolbar(QToolBar& toolbar, CommandHandler onCommand);

}  // namespace plinkora
