#pragma once

#include <windows.h>

#include <string>

namespace plinkora {

class Artwork;

// The program's own windows besides the main one. Window thread.

// The start-up picture, centred on the screen, until 1.2 s have passed or it is clicked.
void ShowSplash(const Artwork& artwork);

// Reads the tips once ("tips.txt" and "tips.log" in the current folder, else beside the
// program) and shows the tip box if the user wants it at start-up.
void LoadTipsAtStartup(HWND owner);
void ShowTipOfTheDay(HWND owner);  // nothing without tips
void ShowAboutBox(HWND owner, const Artwork& artwork);
// Whether the About box's link (0, 1 or 2) has been followed in this run.
bool AboutLinkVisited(int link);

// The help file at its start page, through HTML Help; a message names the whole file when it is
// missing or cannot be shown.
void ShowHelp(HWND owner);
// Plinkora.chm beside the program.
std::wstring HelpFilePath();

// The folder the program was started from, with a trailing backslash.
std::wstring ProgramFolder();

}  // namespace plinkora
