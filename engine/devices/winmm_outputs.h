#pragma once

#include <memory>

#include "engine/midi_device.h"

namespace plinkora {

// The system's MIDI outputs through WinMM: the devices midiOutGetNumDevs counts, and the MIDI
// mapper when it answers. A device whose driver went away (a USB interface pulled out) counts
// as lost, so the window shows it closed and opens it again once it is back.
std::unique_ptr<MidiOutputs> CreateWinmmOutputs();

// For the window's WM_DEVICECHANGE: asks every open device whether its driver is still there
// and tells the loss listener of those that are not. Window thread.
void CheckWinmmDevices(MidiOutputs& outputs);

}  // namespace plinkora
