#pragma once

#include <functional>
#include <memory>
#include <string>

#include "engine/devices/builtin_synth.h"
#include "engine/midi_device.h"

namespace plinkora {

// The machine's MIDI outputs: device 0 the built-in synthesizer when a SoundFont is found, then
// the system's MIDI ports (ALSA sequencer, JACK), and last "Plinkora output port", a port of our
// own for other programs, where an ALSA sequencer or a JACK server answers; at most 256 in all.
// Opening the synthesizer starts its audio output; closing stops it. Log lines of the
// libraries go to log, not stderr.
// The synthesizer's SoundFont is $PLINKORA_SOUNDFONT when set, else soundFont when it names a
// SoundFont, else the system's default; it sounds as sound says.
std::unique_ptr<MidiOutputs> CreateSystemMidiOutputs(
    std::function<void(const std::string&)> log = {}, const std::string& soundFont = {},
    SynthSound sound = {});

// The built-in synthesizer of outputs made by CreateSystemMidiOutputs, loaded (waiting for its
// loading if need be); null when there is none, or it could not load. Window thread.
BuiltInSynth* SystemSynthesizer(MidiOutputs& outputs);

}  // namespace plinkora
