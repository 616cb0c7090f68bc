#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "engine/devices/background_work.h"
#include "engine/midi_device.h"

namespace plinkora {

// A MIDI device whose opening runs in the background, as a port on a sound server's opening
// may wait on that server. What is sent before the device is there waits, in order, and goes
// out once it is; an opening that fails or does not answer in time makes the device lost.
// Window thread, but for the callback.
class PendingDevice final : public MidiDevice {
  public:
    using Open = std::function<std::unique_ptr<MidiDevice>()>;

    // Starts open and waits for it briefly. Null when it failed within that wait. settled is
    // called on another thread when a slow opening ends or turns overdue.
    static std::unique_ptr<MidiDevice> Start(std::shared_ptr<Opening<MidiDevice>>& opening,
                                             Open open, const std::function<void()>& settled);

    explicit PendingDevice(std::shared_ptr<Opening<MidiDevice>> opening);
    ~PendingDevice() override;
    PendingDevice(const PendingDevice&) = delete;
    PendingDevice& operator=(const PendingDevice&) = delete;

    bool Send(uint32_t word) noexcept override;
    bool Lost() const noexcept override;
    bool Ready() const noexcept override;

  private:
    // Takes the opened device once it is there and sends it what waited; false until then.
    bool Arrived() const noexcept;

    // Enough for the keys of the longest wait a server may keep us.
    static constexpr size_t kMaxWaiting = 1024;

    std::shared_ptr<Opening<MidiDevice>> opening_;
    mutable std::unique_ptr<MidiDevice> device_;
    mutable std::vector<uint32_t> waiting_;
};

}  // namespace plinkora
