#include "engine/devices/midi_ports.h"

#include <RtMidi.h>

#include <iostream>
#include <mutex>
#include <sstream>

#if defined(__linux__)
#include <unistd.h>
#endif

#include "engine/devices/sound_libraries.h"

namespace plinkora {

namespace {

constexpr const char* kClientName = "Plinkora";
constexpr const char* kAlsaOwnPortName = "Plinkora output";
constexpr const char* kJackOwnPortName = "midi_out";

size_t WireLength(uint8_t status) {
    if (status < 0x80) {
        return 0;  // a data byte, or running status, which a single word cannot continue
    }
    if (status < 0xF0) {
        const uint8_t kind = status & 0xF0;
        return kind == 0xC0 || kind == 0xD0 ? 2 : 3;
    }
    switch (status) {
        case 0xF1:
        case 0xF3:
            return 2;
        case 0xF2:
            return 3;
        case 0xF6:
            return 1;
        default:
            return status >= 0xF8 ? 1 : 0;  // 0xF0 and 0xF7 frame system-exclusive data
    }
}

// RtMidi writes to std::cerr while its constructor runs, before an error callback can be set.
// Those lines go to the log instead. Ports open on threads of their own, one at a time here.
class CerrToLog {
  public:
    CerrToLog() : lock_(Mutex()), saved_(std::cerr.rdbuf(captured_.rdbuf())) {}
    ~CerrToLog() {
        std::cerr.rdbuf(saved_);
        std::istringstream lines(captured_.str());
        for (std::string line; std::getline(lines, line);) {
            if (!line.empty()) {
                SoundLibraryLog("RtMidi: " + line);
            }
        }
    }
    CerrToLog(const CerrToLog&) = delete;
    CerrToLog& operator=(const CerrToLog&) = delete;

  private:
    static std::mutex& Mutex() {
        static std::mutex mutex;
        return mutex;
    }

    std::lock_guard<std::mutex> lock_;
    std::ostringstream captured_;
    std::streambuf* saved_;
};

// An ALSA client needs the sequencer device, and a JACK client opened without a server crashes
// when it later opens a port, so neither is tried where it cannot work.
bool ApiAvailable(RtMidi::Api api) {
    switch (api) {
        case RtMidi::RTMIDI_DUMMY:
            return false;
#if defined(__linux__)
        case RtMidi::LINUX_ALSA:
            return access("/dev/snd/seq", R_OK | W_OK) == 0;
#endif
        case RtMidi::UNIX_JACK:
            return JackServerRunning();
        default:
            return true;
    }
}

void LogRtMidiError(RtMidiError::Type, const std::string& text, void*) {
    SoundLibraryLog("RtMidi: " + text);
}

std::unique_ptr<RtMidiOut> MakeOutput(RtMidi::Api api) {
    if (!ApiAvailable(api)) {
        return nullptr;
    }
    CerrToLog capture;
    try {
        return std::make_unique<RtMidiOut>(api, kClientName);
    } catch (const std::exception&) {
        return nullptr;  // RtMidi has said why on std::cerr, now in the log
    }
}

class PortDevice final : public MidiDevice {
  public:
    explicit PortDevice(std::unique_ptr<RtMidiOut> out) : out_(std::move(out)) {
        out_->setErrorCallback(&PortDevice::OnError, this);
    }

    // Finds the port by name, since the numbering changes as ports come and go.
    bool Connect(const std::string& name) {
        try {
            for (unsigned int i = 0, n = out_->getPortCount(); i < n; ++i) {
                if (out_->getPortName(i) == name) {
                    out_->openPort(i, kClientName);
                    return out_->isPortOpen();
                }
            }
        } catch (const std::exception&) {
        }
        return false;
    }

    bool OpenVirtual(const std::string& name) {
        try {
            out_->openVirtualPort(name);
            return out_->isPortOpen();
        } catch (const std::exception&) {
            return false;
        }
    }

    bool Send(uint32_t word) noexcept override {
        std::array<uint8_t, 3> bytes;
        const size_t length = WireBytes(word, bytes);
        if (length == 0) {
            return false;
        }
        failed_ = false;
        try {
            out_->sendMessage(bytes.data(), length);
        } catch (...) {
            return false;
        }
        return !failed_;
    }

  private:
    // RtMidi reports a failed send here rather than by a result.
    static void OnError(RtMidiError::Type, const std::string& text, void* self) {
        static_cast<PortDevice*>(self)->failed_ = true;
        SoundLibraryLog("RtMidi: " + text);
    }

    std::unique_ptr<RtMidiOut> out_;
    bool failed_ = false;
};

}  // namespace

size_t WireBytes(uint32_t word, std::array<uint8_t, 3>& bytes) {
    bytes = {static_cast<uint8_t>(word), static_cast<uint8_t>(word >> 8),
             static_cast<uint8_t>(word >> 16)};
    const size_t length = WireLength(bytes[0]);
    for (size_t i = 1; i < length; ++i) {
        if (bytes[i] > 0x7F) {
            return 0;  // would be read as a status byte and garble what follows
        }
    }
    return length;
}

MidiPorts::MidiPorts() : jackOwnPort_(kClientName, kJackOwnPortName) {
    PrepareSoundLibraries();
    std::vector<RtMidi::Api> apis;
    RtMidi::getCompiledApi(apis);
    for (RtMidi::Api api : apis) {
        std::unique_ptr<RtMidiOut> out = MakeOutput(api);
        if (!out) {
            continue;
        }
        out->setErrorCallback(LogRtMidiError);
        // ALSA's ports reach the most programs: PipeWire and a2jmidid show them to JACK's too.
        if (api == RtMidi::LINUX_ALSA || (api == RtMidi::UNIX_JACK && ownPortApi_ < 0)) {
            ownPortApi_ = static_cast<int>(api);
        }
        try {
            for (unsigned int i = 0, n = out->getPortCount(); i < n; ++i) {
                if (std::string name = out->getPortName(i); !name.empty()) {
                    ports_.push_back({static_cast<int>(api), std::move(name)});
                }
            }
        } catch (const std::exception&) {
        }
    }
}

MidiPorts::~MidiPorts() = default;
MidiPorts::MidiPorts(MidiPorts&&) noexcept = default;
MidiPorts& MidiPorts::operator=(MidiPorts&&) noexcept = default;

std::string MidiPorts::Name(int index) const {
    return index >= 0 && index < Count() ? ports_[index].name : std::string();
}

std::unique_ptr<MidiDevice> MidiPorts::Open(int index) const {
    if (index < 0 || index >= Count()) {
        return nullptr;
    }
    std::unique_ptr<RtMidiOut> out = MakeOutput(static_cast<RtMidi::Api>(ports_[index].api));
    if (!out) {
        return nullptr;
    }
    auto device = std::make_unique<PortDevice>(std::move(out));
    if (!device->Connect(ports_[index].name)) {
        return nullptr;
    }
    return device;
}

std::unique_ptr<MidiDevice> MidiPorts::OpenOwnPort(std::function<void()> onLost) const {
    if (ownPortApi_ == RtMidi::UNIX_JACK) {
        // RtMidi's JACK port does not tell when the server goes away; our own client does.
        return jackOwnPort_.Open(std::move(onLost));
    }
    std::unique_ptr<RtMidiOut> out = MakeOutput(static_cast<RtMidi::Api>(ownPortApi_));
    if (!out) {
        return nullptr;
    }
    auto device = std::make_unique<PortDevice>(std::move(out));
    if (!device->OpenVirtual(kAlsaOwnPortName)) {
        return nullptr;
    }
    return device;
}

}  // namespace plinkora
