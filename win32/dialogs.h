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
// The help pages in the user's browser; a message says where they were looked for if they
// are missing.
void ShowHelp(HWND owner);

// The folder the program was started from, with a trailing backslash.
std::wstring ProgramFolder();

}  // namespace plinkora
