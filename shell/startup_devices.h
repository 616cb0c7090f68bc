#pragma once

#include <QString>
#include <memory>

#include "engine/midi_device.h"
#include "shell/synth_settings.h"
#include "window/prompts.h"

namespace plinkora {

// The machine's MIDI outputs as the program starts with them, and the built-in synthesizer,
// where there is one, as the user left it in settingsFile.
struct StartupDevices {
    std::unique_ptr<MidiOutputs> outputs;
    std::unique_ptr<SynthControl> synth;  // none without the built-in synthesizer
};

// A SoundFont that does not load, whether remembered in settingsFile or named by
// $PLINKORA_SOUNDFONT, is named in one warning, and the synthesizer plays the next SoundFont
// that loads; the remembered choice stays as it was, for the day its file is whole again.
StartupDevices OpenStartupDevices(const QString& settingsFile, Prompts& prompts);

}  // namespace plinkora
