#pragma once

#include <algorithm>
#include <cmath>

namespace plinkora {

// Keeps the synthesizer's output below full scale however many notes sound at once. Quiet
// passages pass untouched, and one note of any program stays below the ceiling (ProgramLevels),
// so a single note never pumps; a peak above the ceiling is scaled down at once (no look-ahead,
// which would add latency to every key) and the gain comes back over the release time.
// Stereo-linked, so chords keep their place. Audio thread: it allocates nothing and never waits.
class PeakLimiter {
  public:
    static constexpr float kCeiling = 0.89f;  // -1 dBFS
    static constexpr double kReleaseSeconds = 0.25;

    void SetSampleRate(double rate) {
        recovery_ = static_cast<float>(1.0 - std::exp(-1.0 / (kReleaseSeconds * rate)));
    }

    void Process(float* left, float* right, int step, int frames) noexcept {
        for (int i = 0; i < frames * step; i += step) {
            const float peak = std::max(std::abs(left[i]), std::abs(right[i]));
            const float needed = peak > kCeiling ? kCeiling / peak : 1.0f;
            gain_ = std::min(needed, gain_ + (1.0f - gain_) * recovery_);
            lowest_ = std::min(lowest_, gain_);
            left[i] *= gain_;
            right[i] *= gain_;
        }
    }

    float Gain() const { return gain_; }
    // The lowest gain since the last call: how hard the limiter held a stretch of sound down.
    float TakeLowestGain() {
        const float lowest = lowest_;
        lowest_ = gain_;
        return lowest;
    }

  private:
    float gain_ = 1.0f;
    float lowest_ = 1.0f;
    float recovery_ = 1.0f / 12000;  // until the rate is known: about 0.25 s at 48 kHz
};

}  // namespace plinkora
