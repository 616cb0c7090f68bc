#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace plinkora {

// An open MIDI output. Send takes one packed short message: status in bits 0-7, first data
// byte in bits 8-15, second in bits 16-23. Window thread only.
class MidiDevice {
  public:
    virtual ~MidiDevice() = default;
    // False when the word could not be delivered (a port that vanished, say); callers do not
    // retry, so a failed send must never throw or block.
    virtual bool Send(uint32_t word) noexcept = 0;
    // True once the device's output went away for good (its sound server stopped, say): the
    // device should be closed, and opening it again may succeed once the server is back.
    virtual bool Lost() const noexcept { return false; }
    // False while the device is still being opened in the background; what it is sent meanwhile
    // goes out once it is there.
    virtual bool Ready() const noexcept { return true; }
    // An output that stops after a while of silence stays up while kept awake: a playback's
    // next note after a long rest must not wait for it to start again.
    virtual void KeepAwake(bool awake) noexcept { (void)awake; }
};

// The MIDI outputs of this machine, numbered 0..Count()-1. Closing a device is destroying it.
class MidiOutputs {
  public:
    virtual ~MidiOutputs() = default;
    virtual int Count() const = 0;
    // The name of the system's MIDI mapper when there is one; Linux has none.
    virtual std::optional<std::string> MapperName() const = 0;
    virtual std::string Name(int32_t deviceId) const = 0;
    // Null when the device cannot be opened.
    virtual std::unique_ptr<MidiDevice> Open(int32_t deviceId) = 0;
    // Called on any thread, soon after an open device became Lost or a slow opening ended; it
    // should only wake the window thread, which then asks the device. Empty to stop listening.
    virtual void SetLossListener(std::function<void()> listener) { (void)listener; }
};

}  // namespace plinkora
