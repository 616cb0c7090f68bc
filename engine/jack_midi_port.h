#pragma once

#include <functional>
#include <memory>
#include <string>

#include "engine/midi_device.h"

namespace plinkora {

// A MIDI output port of Plinkora's own on the running JACK server, which other programs connect
// to. Null when no JACK server answers or the port cannot be made. onLost is called once, on a
// JACK thread, when the server goes away; the device then sends nothing and reports itself
// lost. Window thread, apart from onLost.
std::unique_ptr<MidiDevice> OpenJackMidiPort(const std::string& clientName,
                                             const std::string& portName,
                                             std::function<void()> onLost);

}  // namespace plinkora
