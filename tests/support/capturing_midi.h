#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/midi_device.h"
#include "engine/midi_output.h"

namespace plinkora {

// A device that keeps every word sent to it, for tests and benchmarks. The words live in the
// outputs object, so they outlast the device that was closed.
class CapturingMidiOutputs final : public MidiOutputs {
  public:
    explicit CapturingMidiOutputs(int count = 1, bool hasMapper = false)
        : count_(count), hasMapper_(hasMapper) {}

    int Count() const override { return count_; }
    std::optional<std::string> MapperName() const override {
        return hasMapper_ ? std::optional<std::string>("Mapper") : std::nullopt;
    }
    std::string Name(int32_t deviceId) const override {
        return "Capture " + std::to_string(deviceId);
    }
    std::unique_ptr<MidiDevice> Open(int32_t deviceId) override {
        ++openCount;
        if (failOpen || deviceId < -1 || deviceId >= count_ || (deviceId == -1 && !hasMapper_)) {
            return nullptr;
        }
        lastOpened = deviceId;
        return std::make_unique<Device>(words, lost, full, opening);
    }
    void SetLossListener(std::function<void()> listener) override {
        lossListener = std::move(listener);
    }

    // Loses every open device, as a sound server that stops does.
    void LoseDevices() {
        lost = true;
        if (lossListener) {
            lossListener();
        }
    }

    std::vector<uint32_t> words;
    bool failOpen = false;
    int openCount = 0;
    int32_t lastOpened = -2;
    bool lost = false;     // devices opened while it is set are lost from the start
    bool full = false;     // devices take no words, as a port whose queue is full
    bool opening = false;  // devices are not ready, as one whose server has not answered yet
    std::function<void()> lossListener;

  private:
    class Device final : public MidiDevice {
      public:
        Device(std::vector<uint32_t>& words, const bool& lost, const bool& full,
               const bool& opening)
            : words_(words), lost_(lost), full_(full), opening_(opening) {}
        bool Send(uint32_t word) noexcept override {
            if (full_) {
                return false;
            }
            words_.push_back(word);
            return true;
        }
        bool Lost() const noexcept override { return lost_; }
        bool Ready() const noexcept override { return !opening_; }

      private:
        std::vector<uint32_t>& words_;
        const bool& lost_;
        const bool& full_;
        const bool& opening_;
    };

    int count_;
    bool hasMapper_;
};

namespace testing {

inline uint32_t NoteOn(int channel, int note, int velocity = 127) {
    return ShortMessage(kNoteOn, channel, note, velocity);
}
inline uint32_t NoteOff(int channel, int note) {
    return ShortMessage(kNoteOff, channel, note, 0);
}
// All Notes Off on the sixteen channels, as Esc and End playing send it.
inline std::vector<uint32_t> AllNotesOff() {
    std::vector<uint32_t> words;
    for (uint32_t channel = 0; channel < 16; ++channel) {
        words.push_back(ShortMessage(kControlChange, channel, kAllNotesOffController, 0));
    }
    return words;
}

}  // namespace testing
}  // namespace plinkora
