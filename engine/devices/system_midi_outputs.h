#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/devices/builtin_synth.h"
#include "engine/midi_device.h"

namespace plinkora {

// The machine's MIDI outputs: device 0 the built-in synthesizer when a SoundFont is found, then
// the system's MIDI ports (ALSA sequencer, JACK), and last "Plinkora output port", a port of our
// own for other programs, where an ALSA sequencer or a JACK server answers; at most 256 in all.
// Opening the synthesizer starts its audio output; closing stops it. Log lines of the
// libraries go to log, not stderr.
// The synthesizer's SoundFont is the first of SoundFontCandidates(soundFont) that loads:
// $PLINKORA_SOUNDFONT, the user's soundFont, the system's; it sounds as sound says.
std::unique_ptr<MidiOutputs> CreateSystemMidiOutputs(
    std::function<void(const std::string&)> log = {}, const std::string& soundFont = {},
    SynthSound sound = {});

// The built-in synthesizer of outputs made by CreateSystemMidiOutputs, loaded (waiting for its
// loading if need be); null when there is none, or it could not load. Window thread.
BuiltInSynth* SystemSynthesizer(MidiOutputs& outputs);

// The SoundFonts of outputs made by CreateSystemMidiOutputs that were tried and did not load,
// before the one the synthesizer plays, or all of them when there is no synthesizer. Waits for
// the loading as SystemSynthesizer does.
std::vector<std::string> SoundFontsNotLoaded(MidiOutputs& outputs);

}  // namespace plinkora
