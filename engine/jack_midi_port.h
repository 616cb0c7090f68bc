#pragma once

#include <functional>
#include <memory>
#include <string>

#include "engine/midi_device.h"

namespace plinkora {

class JackMidiPort;

// A MIDI output port of Plinkora's own on the running JACK server, which other programs connect
// to. Devices opened while an earlier one is still open share its port, so that the port keeps
// its name and its connections. Window thread.
class JackMidiPortOpener {
  public:
    JackMidiPortOpener(std::string clientName, std::string portName);

    // Null when no JACK server answers or the port cannot be made. onLost is called once, on a
    // JACK thread, when the server goes away; the device then sends nothing and reports itself
    // lost.
    std::unique_ptr<MidiDevice> Open(std::function<void()> onLost);

  private:
    std::string clientName_;
    std::string portName_;
    std::weak_ptr<JackMidiPort> current_;
};

}  // namespace plinkora
