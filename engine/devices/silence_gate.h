#pragma once

#include <atomic>
#include <cstdint>

namespace plinkora {

// Decides when an audio output may stop asking for sound: once everything rendered has stayed
// below hearing for a while (the reverberation's tail included), until the next event reaches
// the synthesizer. Never while a note is held or a playback runs: a soft organ note may stay
// below hearing for as long as it is held, and a playback's next note must not wait for a new
// stream. Lock-free: events come from the window thread while the audio thread renders.
class SilenceGate {
  public:
    // Half the smallest step of 16-bit sound: nothing quieter reaches a listener.
    static constexpr float kInaudible = 1.0f / 65536;

    explicit SilenceGate(int64_t sleepAfterFrames = 0) : sleepAfterFrames_(sleepAfterFrames) {}

    // Audio thread, while no rendering runs.
    void SetSleepAfter(int64_t frames) noexcept { sleepAfterFrames_ = frames; }

    // Any thread, after an event has been handed to the synthesizer. True when the output sleeps
    // (or is about to): the caller must wake it.
    bool Event() noexcept {
        events_.fetch_add(1);
        return asleep_.load();
    }

    // Audio thread, before rendering: what AfterRender compares with. After a sleep the quiet
    // is counted afresh, so a note with a slow attack is not put to sleep again at once.
    uint64_t BeforeRender() noexcept {
        if (asleep_.exchange(false)) {
            quietFrames_ = 0;
        }
        return events_.load();
    }

    // Audio thread, after rendering `frames` whose loudest sample was `peak`. True when the
    // output should sleep now: Event will report it from here on.
    bool AfterRender(uint64_t eventsBefore, float peak, int64_t frames) noexcept {
        const bool held = heldNotes_.load() > 0 || keptAwake_.load();
        quietFrames_ = peak < kInaudible && !held ? quietFrames_ + frames : 0;
        if (quietFrames_ < sleepAfterFrames_) {
            return false;
        }
        asleep_.store(true);
        // An event that came during the rendering either sees asleep_ and wakes the output, or
        // is seen here; the sequentially consistent order leaves no third way.
        if (events_.load() != eventsBefore) {
            asleep_.store(false);
            quietFrames_ = 0;
            return false;
        }
        return true;
    }

    bool Asleep() const noexcept { return asleep_.load(); }

    // Any thread: how many notes are held, and whether something (a playback) asks for the
    // output to stay up. Either keeps the output from sleeping; the next event wakes it if it
    // already sleeps.
    void SetHeldNotes(int count) noexcept { heldNotes_.store(count); }
    void SetKeptAwake(bool awake) noexcept { keptAwake_.store(awake); }

  private:
    std::atomic<uint64_t> events_{0};
    std::atomic<bool> asleep_{false};
    std::atomic<int> heldNotes_{0};
    std::atomic<bool> keptAwake_{false};
    int64_t quietFrames_ = 0;  // audio thread only
    int64_t sleepAfterFrames_;
};

}  // namespace plinkora
