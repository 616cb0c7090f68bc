#include "engine/devices/jack_midi_port.h"

#include <jack/jack.h>
#include <jack/midiport.h>
#include <jack/ringbuffer.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include "engine/devices/background_work.h"
#include "engine/devices/midi_ports.h"
#include "engine/devices/sound_libraries.h"

namespace plinkora {

namespace {

// Room for every message of a burst (All Notes Off on 16 channels, a chord with its bourdon)
// even when a JACK cycle is late.
constexpr size_t kQueueBytes = 16384;
// What a cycle carries at most. A queue that filled while the server stalled would otherwise
// leave in one cycle, thousands at once, more than ordinary receivers buffer (jack_midi_dump
// keeps about a hundred); at this pace it still drains within a second.
constexpr int kMostPerCycle = 32;
// A cycle lasts a few milliseconds at the usual settings and up to about 170 ms at the largest.
constexpr std::chrono::milliseconds kDrainTimeout{250};

}  // namespace

// One JACK client with one MIDI output port. The window thread queues each message as a length
// byte and its bytes; the JACK process callback moves whole messages into the port's buffer.
// The queue is JACK's lock-free ring, so neither side waits for the other.
class JackMidiPort {
  public:
    explicit JackMidiPort(std::function<void()> onLost) : onLost_(std::move(onLost)) {}
    ~JackMidiPort() {
        if (client_) {
            if (active_) {
                Drain();
            }
            // Closing without a server returns at once, as its socket is already gone.
            jack_client_close(client_);
        }
        if (queue_) {
            jack_ringbuffer_free(queue_);
        }
    }
    JackMidiPort(const JackMidiPort&) = delete;
    JackMidiPort& operator=(const JackMidiPort&) = delete;

    bool Open(const std::string& clientName, const std::string& portName) {
        queue_ = jack_ringbuffer_create(kQueueBytes);
        if (!queue_) {
            return false;
        }
        jack_status_t status{};
        client_ = jack_client_open(clientName.c_str(), JackNoStartServer, &status);
        if (!client_) {
            return false;
        }
        port_ = jack_port_register(client_, portName.c_str(), JACK_DEFAULT_MIDI_TYPE,
                                   JackPortIsOutput, 0);
        if (!port_) {
            SoundLibraryLog("JACK: the port " + portName + " could not be registered");
            return false;
        }
        jack_set_process_callback(client_, &JackMidiPort::Process, this);
        jack_on_shutdown(client_, &JackMidiPort::ServerGone, this);
        active_ = jack_activate(client_) == 0;
        return active_;
    }

    bool Send(uint32_t word) noexcept {
        std::array<uint8_t, 4> entry{};
        std::array<uint8_t, 3> bytes;
        const size_t length = WireBytes(word, bytes);
        if (length == 0 || lost_.load(std::memory_order_acquire)) {
            return false;
        }
        entry[0] = static_cast<uint8_t>(length);
        std::copy(bytes.begin(), bytes.begin() + length, entry.begin() + 1);
        if (jack_ringbuffer_write_space(queue_) < length + 1) {
            return false;  // the server has stopped taking messages
        }
        jack_ringbuffer_write(queue_, reinterpret_cast<const char*>(entry.data()), length + 1);
        return true;
    }

    bool Lost() const noexcept { return lost_.load(std::memory_order_acquire); }

  private:
    // What was sent last (All Notes Off, as the device closes) must leave before the port goes,
    // or the programs listening keep their notes sounding. JACK takes it within a cycle or two.
    void Drain() const {
        using namespace std::chrono_literals;
        const auto deadline = std::chrono::steady_clock::now() + kDrainTimeout;
        uint64_t drainedAt = 0;
        while (!lost_.load(std::memory_order_acquire) &&
               std::chrono::steady_clock::now() < deadline) {
            const uint64_t cycle = cycles_.load(std::memory_order_acquire);
            if (jack_ringbuffer_read_space(queue_) > 0) {
                drainedAt = 0;
            } else if (drainedAt == 0) {
                drainedAt = cycle + 1;
            } else if (cycle > drainedAt) {
                return;  // a whole cycle has run since the queue emptied
            }
            std::this_thread::sleep_for(1ms);
        }
    }

    // JACK's process thread: nothing here waits, allocates or logs.
    static int Process(jack_nframes_t frames, void* self) {
        auto& port = *static_cast<JackMidiPort*>(self);
        void* buffer = jack_port_get_buffer(port.port_, frames);
        jack_midi_clear_buffer(buffer);
        for (int sent = 0; sent < kMostPerCycle && port.MoveOne(buffer); ++sent) {
        }
        port.cycles_.fetch_add(1, std::memory_order_release);
        return 0;
    }

    // JACK's process thread: the next queued message into the port's buffer. False when there
    // is none, or no room for it: the rest waits for the next cycle.
    bool MoveOne(void* buffer) {
        std::array<uint8_t, 4> entry;
        char* bytes = reinterpret_cast<char*>(entry.data());
        if (jack_ringbuffer_peek(queue_, bytes, 1) != 1) {
            return false;
        }
        const size_t size = entry[0] + 1u;
        if (jack_ringbuffer_peek(queue_, bytes, size) < size ||
            jack_midi_event_write(buffer, 0, entry.data() + 1, entry[0]) != 0) {
            return false;
        }
        jack_ringbuffer_read_advance(queue_, size);
        return true;
    }

    static void ServerGone(void* self) {
        auto& port = *static_cast<JackMidiPort*>(self);
        port.lost_.store(true, std::memory_order_release);
        if (port.onLost_) {
            port.onLost_();
        }
    }

    std::function<void()> onLost_;
    jack_ringbuffer_t* queue_ = nullptr;
    jack_client_t* client_ = nullptr;
    jack_port_t* port_ = nullptr;
    bool active_ = false;
    std::atomic<bool> lost_{false};
    std::atomic<uint64_t> cycles_{0};
};

struct JackMidiPortOpener::Ports {
    std::mutex mutex;  // held while a port opens or closes
    std::weak_ptr<JackMidiPort> current;
};

namespace {

class JackPortDevice final : public MidiDevice {
  public:
    JackPortDevice(std::shared_ptr<JackMidiPort> port,
                   std::shared_ptr<JackMidiPortOpener::Ports> ports)
        : port_(std::move(port)), ports_(std::move(ports)) {}
    // The last device of a port drains and closes it, which waits on the server.
    ~JackPortDevice() override {
        RunInBackground([port = std::move(port_), ports = std::move(ports_)]() mutable {
            std::lock_guard lock(ports->mutex);
            port.reset();
        });
    }
    JackPortDevice(const JackPortDevice&) = delete;
    JackPortDevice& operator=(const JackPortDevice&) = delete;

    bool Send(uint32_t word) noexcept override { return port_->Send(word); }
    bool Lost() const noexcept override { return port_->Lost(); }

  private:
    std::shared_ptr<JackMidiPort> port_;
    std::shared_ptr<JackMidiPortOpener::Ports> ports_;
};

}  // namespace

JackMidiPortOpener::JackMidiPortOpener(std::string clientName, std::string portName)
    : clientName_(std::move(clientName)),
      portName_(std::move(portName)),
      ports_(std::make_shared<Ports>()) {}

std::unique_ptr<MidiDevice> JackMidiPortOpener::Open(std::function<void()> onLost) {
    std::lock_guard lock(ports_->mutex);
    std::shared_ptr<JackMidiPort> port = ports_->current.lock();
    if (!port || port->Lost()) {
        PrepareSoundLibraries();
        port = std::make_shared<JackMidiPort>(std::move(onLost));
        if (!port->Open(clientName_, portName_)) {
            return nullptr;
        }
        ports_->current = port;
    }
    return std::make_unique<JackPortDevice>(std::move(port), ports_);
}

}  // namespace plinkora
