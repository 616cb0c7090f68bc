#include "engine/devices/winmm_outputs.h"

// clang-format off
#include <windows.h>
#include <mmsystem.h>
// clang-format on

#include <algorithm>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <utility>

#include "engine/midi_output.h"

namespace plinkora {

namespace {

std::string Utf8(const wchar_t* text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) {
        return {};
    }
    std::string result(static_cast<size_t>(size - 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, result.data(), size, nullptr, nullptr);
    return result;
}

std::optional<std::string> CapsName(UINT_PTR device) {
    MIDIOUTCAPSW caps{};
    if (midiOutGetDevCapsW(device, &caps, sizeof caps) != MMSYSERR_NOERROR) {
        return std::nullopt;
    }
    return Utf8(caps.szPname);
}

class WinmmOutputs;

class WinmmDevice final : public MidiDevice {
  public:
    WinmmDevice(WinmmOutputs& outputs, HMIDIOUT handle, UINT_PTR device, std::string name)
        : outputs_(outputs), handle_(handle), device_(device), name_(std::move(name)) {}
    ~WinmmDevice() override;

    bool Send(uint32_t word) noexcept override;
    bool Lost() const noexcept override { return lost_; }

    // Whether the system still has the device under its number and name; one that went away
    // (or whose number now names another) is marked lost.
    bool StillThere() noexcept;

  private:
    void MarkLost() noexcept;

    WinmmOutputs& outputs_;
    HMIDIOUT handle_;
    UINT_PTR device_;
    std::string name_;
    bool lost_ = false;
};

class WinmmOutputs final : public MidiOutputs {
  public:
    int Count() const override {
        return static_cast<int>(std::min<UINT>(midiOutGetNumDevs(), kMaxListedDevices));
    }
    std::optional<std::string> MapperName() const override { return CapsName(MIDI_MAPPER); }
    std::string Name(int32_t deviceId) const override {
        const UINT_PTR device = deviceId == kMidiMapper ? MIDI_MAPPER : UINT_PTR(deviceId);
        return CapsName(device).value_or(std::string());
    }

    std::unique_ptr<MidiDevice> Open(int32_t deviceId) override {
        const UINT device = deviceId == kMidiMapper ? MIDI_MAPPER : UINT(deviceId);
        HMIDIOUT handle = nullptr;
        if (midiOutOpen(&handle, device, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) {
            return nullptr;
        }
        auto opened = std::make_unique<WinmmDevice>(*this, handle, device,
                                                    CapsName(device).value_or(std::string()));
        open_.insert(opened.get());
        return opened;
    }

    void SetLossListener(std::function<void()> listener) override {
        const std::lock_guard lock(mutex_);
        listener_ = std::move(listener);
    }

    void Forget(WinmmDevice* device) { open_.erase(device); }

    void TellLoss() {
        std::function<void()> listener;
        {
            const std::lock_guard lock(mutex_);
            listener = listener_;
        }
        if (listener) {
            listener();
        }
    }

    void CheckDevices() {
        for (WinmmDevice* device : open_) {
            if (!device->StillThere()) {
                TellLoss();
            }
        }
    }

  private:
    std::set<WinmmDevice*> open_;  // window thread only
    std::mutex mutex_;
    std::function<void()> listener_;
};

WinmmDevice::~WinmmDevice() {
    outputs_.Forget(this);
    midiOutReset(handle_);
    midiOutClose(handle_);
}

bool WinmmDevice::Send(uint32_t word) noexcept {
    if (lost_) {
        return false;
    }
    const MMRESULT result = midiOutShortMsg(handle_, word);
    if (result == MMSYSERR_NOERROR) {
        return true;
    }
    // A busy device takes the word later; any other answer means the driver is gone.
    if (result != MIDIERR_NOTREADY) {
        MarkLost();
    }
    return false;
}

bool WinmmDevice::StillThere() noexcept {
    if (!lost_ && CapsName(device_) != name_) {
        lost_ = true;
    }
    return !lost_;
}

void WinmmDevice::MarkLost() noexcept {
    lost_ = true;
    outputs_.TellLoss();
}

}  // namespace

std::unique_ptr<MidiOutputs> CreateWinmmOutputs() {
    return std::make_unique<WinmmOutputs>();
}

void CheckWinmmDevices(MidiOutputs& outputs) {
    if (auto* winmm = dynamic_cast<WinmmOutputs*>(&outputs)) {
        winmm->CheckDevices();
    }
}

}  // namespace plinkora
