#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/devices/jack_midi_port.h"
#include "engine/midi_device.h"

namespace plinkora {

// The bytes of a packed short message as they go on the wire: 1 to 3 of them (a program change
// has 2), or none for a word whose first byte is no status or starts a system-exclusive message.
size_t WireBytes(uint32_t word, std::array<uint8_t, 3>& bytes);

// The system's MIDI output ports as RtMidi lists them: the ALSA sequencer's, and JACK's while a
// JACK server runs. Listed once, at construction; none where the system offers no MIDI at all.
// Opening a port may wait on its server: the openings run off the window thread, and may run
// on several threads at once.
class MidiPorts {
  public:
    MidiPorts();
    ~MidiPorts();
    MidiPorts(MidiPorts&&) noexcept;
    MidiPorts& operator=(MidiPorts&&) noexcept;

    int Count() const { return static_cast<int>(ports_.size()); }
    std::string Name(int index) const;
    // Null when the port has gone since it was listed or cannot be opened.
    std::unique_ptr<MidiDevice> Open(int index) const;

    // Plinkora's own output port, which other programs connect to: an ALSA sequencer client
    // "Plinkora" with the port "Plinkora output", else a JACK client "Plinkora" with the port
    // "midi_out". Offered where either system was reachable at construction. onLost is called,
    // on any thread, when the port's server goes away.
    bool HasOwnPort() const { return ownPortApi_ >= 0; }
    std::unique_ptr<MidiDevice> OpenOwnPort(std::function<void()> onLost) const;

  private:
    struct Port {
        int api;  // RtMidi::Api
        std::string name;
    };
    std::vector<Port> ports_;
    int ownPortApi_ = -1;  // RtMidi::Api, or -1 for none
    mutable JackMidiPortOpener jackOwnPort_;
};

}  // namespace plinkora
