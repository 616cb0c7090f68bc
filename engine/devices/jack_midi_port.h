#pragma once

#include <functional>
#include <memory>
#include <string>

#include "engine/midi_device.h"

namespace plinkora {

class JackMidiPort;

// A MIDI output port of Plinkora's own on the running JACK server, which other programs connect
// to. Devices opened while an earlier one is still open share its port, so that the port keeps
// its name and its connections. Opening and closing wait on the server, so both run off the
// window thread; a port opens only once the one before it has closed, so that its client gets
// the same name again. Any thread.
class JackMidiPortOpener {
  public:
    JackMidiPortOpener(std::string clientName, std::string portName);

    // Null when no JACK server answers or the port cannot be made. onLost is called once, on a
    // JACK thread, when the server goes away; the device then sends nothing and reports itself
    // lost. Destroying the device closes the port in the background.
    std::unique_ptr<MidiDevice> Open(std::function<void()> onLost);

    struct Ports;

  private:
    std::string clientName_;
    std::string portName_;
    std::shared_ptr<Ports> ports_;
};

}  // namespace plinkora
