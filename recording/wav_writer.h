#pragma once

#include <cstdint>
#include <vector>

#include "recording/atomic_file.h"
#include "recording/offline_render.h"

namespace plinkora {

// The most frames a 16-bit stereo WAV file can hold: its sizes are 32-bit.
inline constexpr uint64_t kMaxWavFrames = (UINT32_MAX - 36) / 4;

// Streams rendered audio into a 16-bit stereo PCM WAV file whose length is known up front.
class WavWriter final : public FrameSink {
  public:
    // Writes the header; frameCount must not exceed kMaxWavFrames.
    WavWriter(FileOutput& out, uint32_t sampleRate, uint64_t frameCount);
    bool PutFrames(const float* interleaved, int frames) override;
    // True when exactly frameCount frames were written without an error.
    bool Complete() const;

  private:
    FileOutput& out_;
    uint64_t expected_;
    uint64_t written_ = 0;
    std::vector<uint8_t> samples_;
};

}  // namespace plinkora
