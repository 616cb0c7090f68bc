#pragma once

class QWidget;

namespace plinkora {

// The program's dialogs, called by the main window at the moments its creation and its Help
// menu give them.
void ShowSplash();                       // before the main window; up to 1.2 s or a click
void LoadTipsAtStartup(QWidget* owner);  // reads tips.txt/tips.log; shows the tip box if wanted
void ShowTipOfTheDay(QWidget* owner);    // Help > Tips of the Day (nothing without tips)
void ShowAboutBox(QWidget* owner);
void ShowHelp(QWidget* owner);

}  // namespace plinkora
