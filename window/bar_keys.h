#pragma once

#include <cstdint>
#include <vector>

#include "engine/controls.h"
#include "engine/key_stroke.h"

namespace plinkora {

// The keys a PC keyboard sends with the extended prefix carry it as 0x100 on their scan code, so
// that the arrows and page keys are never taken for their twins on the keypad.
inline constexpr uint32_t kExtendedKey = 0x100;
inline constexpr uint32_t kUpArrowKey = kExtendedKey | 0x48, kPageUpKey = kExtendedKey | 0x49;
inline constexpr uint32_t kLeftArrowKey = kExtendedKey | 0x4B, kRightArrowKey = kExtendedKey | 0x4D;
inline constexpr uint32_t kDownArrowKey = kExtendedKey | 0x50, kPageDownKey = kExtendedKey | 0x51;

// The Force and Freq bars as each front end has them: the bars move, and their own handlers
// tell the engine, so that the thumbs always show what sounds.
class Bars {
  public:
    virtual ~Bars() = default;
    // One of kLineUp, kLineDown, kPageUp, kPageDown on the Force bar, as its arrows and shaft do.
    virtual void StepForce(ScrollCode code) = 0;
    // The Freq thumb held at the top (bending up) or the bottom of its bar, as a dragged thumb.
    virtual void HoldFreq(bool up) = 0;
    // The Freq thumb let go: it springs back to rest.
    virtual void ReleaseFreq() = 0;
};

// The keys that play the Force and Freq bars as a player's hand would: Up and Down step the
// force by 1, Page Up and Page Down by 8; Right and Left hold the pitch wheel fully up or down
// until let go.
class BarKeys {
  public:
    explicit BarKeys(Bars& bars) : bars_(bars) {}

    // True when the key belongs to a bar: it is no note then, even when it changes nothing.
    bool Take(const KeyStroke& key);

  private:
    void Bend();

    Bars& bars_;
    std::vector<uint32_t> bending_;  // the bend keys held, the latest last
};

}  // namespace plinkora
