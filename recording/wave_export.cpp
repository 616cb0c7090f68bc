#include "recording/wave_export.h"

#include "recording/atomic_file.h"
#include "recording/wav_writer.h"

namespace plinkora {

namespace {

// About ten reports a second of rendered sound are plenty for a progress bar.
constexpr uint64_t kFramesPerReport = kWaveSampleRate / 10;

// Passes the frames on and reports how far the rendering got; a cancel abandons it.
class ReportingSink final : public FrameSink {
  public:
    ReportingSink(FrameSink& next, uint64_t total, const RenderProgress& progress)
        : next_(next), total_(total), progress_(progress) {}

    bool PutFrames(const float* interleaved, int frames) override {
        if (!next_.PutFrames(interleaved, frames)) {
            return false;
        }
        done_ += static_cast<uint64_t>(frames);
        if (done_ - reported_ < kFramesPerReport && done_ < total_) {
            return true;
        }
        reported_ = done_;
        if (!progress_ || progress_(static_cast<double>(done_) / static_cast<double>(total_))) {
            return true;
        }
        cancelled = true;
        return false;
    }

    bool cancelled = false;

  private:
    FrameSink& next_;
    uint64_t total_;
    const RenderProgress& progress_;
    uint64_t done_ = 0;
    uint64_t reported_ = 0;
};

}  // namespace

WaveExportResult ExportWaveFile(std::span<const EventRecord> events, const RenderSettings& settings,
                                RenderTarget& target, const std::string& path,
                                const RenderProgress& progress) {
    const uint64_t frames = RenderedFrameCount(events, kWaveSampleRate, kWaveRingOutMs);
    if (frames > kMaxWavFrames) {
        return WaveExportResult::kTooLong;
    }
    bool cancelled = false;
    const AtomicWriteResult result = WriteFileAtomically(path, [&](FileOutput& out) {
        WavWriter wav(out, kWaveSampleRate, frames);
        ReportingSink sink(wav, frames, progress);
        const bool rendered =
            RenderPerformance(events, settings, target, kWaveSampleRate, kWaveRingOutMs, sink);
        cancelled = sink.cancelled;
        return rendered && wav.Complete();
    });
    switch (result) {
        case AtomicWriteResult::kOk:
            return WaveExportResult::kWritten;
        case AtomicWriteResult::kCannotCreate:
            return WaveExportResult::kCannotCreate;
        case AtomicWriteResult::kCannotWrite:
            break;
    }
    return cancelled ? WaveExportResult::kCancelled : WaveExportResult::kCannotWrite;
}

}  // namespace plinkora
