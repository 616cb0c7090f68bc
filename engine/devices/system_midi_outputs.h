#pragma once

#include <functional>
#include <memory>
#include <string>

#include "engine/midi_device.h"

namespace plinkora {

// The machine's MIDI outputs: device 0 the built-in synthesizer when a SoundFont is found, then
// the system's MIDI ports (ALSA sequencer, JACK), and last "Plinkora output port", a port of our
// own for other programs, where an ALSA sequencer or a JACK server answers; at most 256 in all.
// Opening the synthesizer starts its audio output; closing stops it. Log lines of the
// libraries go to log, not stderr.
std::unique_ptr<MidiOutputs> CreateSystemMidiOutputs(
    std::function<void(const std::string&)> log = {});

}  // namespace plinkora
