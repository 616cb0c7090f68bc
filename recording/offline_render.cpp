#include "recording/offline_render.h"

#include <algorithm>
#include <vector>

#include "engine/key_handling.h"
#include "engine/midi_output.h"
#include "recording/playback.h"

namespace plinkora {

namespace {

constexpr int kBlockFrames = 1024;

// Device 0 is the render target, so the Performance sends to it as to any device.
class TargetOutputs final : public MidiOutputs {
  public:
    explicit TargetOutputs(RenderTarget& target) : target_(target) {}
    int Count() const override { return 1; }
    std::optional<std::string> MapperName() const override { return std::nullopt; }
    std::string Name(int32_t) const override { return "Offline renderer"; }
    std::unique_ptr<MidiDevice> Open(int32_t deviceId) override {
        if (deviceId != 0) {
            return nullptr;
        }
        return std::make_unique<Device>(target_);
    }

  private:
    class Device final : public MidiDevice {
      public:
        explicit Device(RenderTarget& target) : target_(target) {}
        bool Send(uint32_t word) noexcept override {
            target_.Send(word);
            return true;
        }

      private:
        RenderTarget& target_;
    };

    RenderTarget& target_;
};

uint64_t FrameAt(uint64_t ms, uint32_t sampleRate) {
    return ms * sampleRate / 1000;
}

class Renderer {
  public:
    Renderer(RenderTarget& target, FrameSink& sink)
        : target_(target), sink_(sink), buffer_(2 * kBlockFrames) {}

    // Renders up to (not including) frame end.
    bool RenderUntil(uint64_t end) {
        while (rendered_ < end) {
            const int frames = static_cast<int>(std::min<uint64_t>(kBlockFrames, end - rendered_));
            target_.Render(buffer_.data(), frames);
            if (!sink_.PutFrames(buffer_.data(), frames)) {
                return false;
            }
            rendered_ += static_cast<uint64_t>(frames);
        }
        return true;
    }

  private:
    RenderTarget& target_;
    FrameSink& sink_;
    std::vector<float> buffer_;
    uint64_t rendered_ = 0;
};

}  // namespace

uint64_t RenderedFrameCount(std::span<const EventRecord> events, uint32_t sampleRate,
                            uint32_t ringOutMs) {
    return FrameAt(PlaybackDurationMs(events), sampleRate) + FrameAt(ringOutMs, sampleRate);
}

bool RenderPerformance(std::span<const EventRecord> events, const RenderSettings& settings,
                       RenderTarget& target, uint32_t sampleRate, uint32_t ringOutMs,
                       FrameSink& sink) {
    TargetOutputs outputs(target);
    Performance p(outputs);
    p.deviceId = 0;
    p.midiOut = outputs.Open(0);
    p.keySignature = settings.keySignature;
    p.program = settings.program;
    p.force = settings.force;
    p.channel = settings.channel;
    p.bourdonOn = settings.bourdonOn;
    SendInstrument(p);

    Renderer renderer(target, sink);
    uint64_t dueMs = 0;
    for (const EventRecord& e : events) {
        dueMs = NextDueMs(dueMs, e);
        if (!renderer.RenderUntil(FrameAt(dueMs, sampleRate))) {
            return false;
        }
        PlayRecordedEvent(p, e);
    }
    ReleaseAllKeys(p);
    return renderer.RenderUntil(FrameAt(dueMs, sampleRate) + FrameAt(ringOutMs, sampleRate));
}

}  // namespace plinkora
