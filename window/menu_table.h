#pragma once

#include <array>
#include <string>
#include <vector>

#include "engine/performance.h"

namespace plinkora {

// Whether a menu item carries a check mark, and its first state.
enum class Mark { None, Unchecked, Checked };

// One item of the menu bar, or a menu of items when submenu is not empty. Texts carry their "&"
// mnemonics and "\t" accelerator texts; accelerator is the letter of an Alt+letter shortcut
// that answers whichever control has the focus, or 0.
struct MenuEntry {
    std::string text;
    int commandId = 0;
    Mark mark = Mark::None;
    bool enabled = true;
    char accelerator = 0;
    std::vector<MenuEntry> submenu;
};

// What a front end adds to the menus of the original program.
struct MenuOptions {
    // "Synthesizer..." at the end of the Device menu, for a front end with the built-in one.
    bool synthesizerItem = false;
};

// The eight menus with their items, first marks and states. Without a MIDI mapper the first
// device becomes the chosen one.
std::vector<MenuEntry> MenuBarEntries(Performance& performance, MenuOptions options = {});

// The programs of the 14 instrument buttons of the toolbar, in order: one instrument of each
// family but Synth Lead and Synth Pad.
inline constexpr std::array<int, 14> kToolbarPrograms = {
    0,    // Acoustic Grand Piano
    15,   // Dulcimer
    19,   // Church Organ
    25,   // Acoustic Guitar (steel)
    32,   // Acoustic Bass
    40,   // Violin
    55,   // Orchestra Hit
    57,   // Trombone
    66,   // Tenor Sax
    73,   // Flute
    103,  // FX 8 (sci-fi)
    107,  // Koto
    114,  // Steel Drums
    123,  // Bird Tweet
};

}  // namespace plinkora
