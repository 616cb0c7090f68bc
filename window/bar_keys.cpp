#include "window/bar_keys.h"

#include <algorithm>
#include <optional>

namespace plinkora {

namespace {

// The Force bar stands upside down: more force is a step towards its top.
std::optional<ScrollCode> ForceStepOf(uint32_t scanCode) {
    switch (scanCode) {
        case kUpArrowKey:
            return kLineUp;
        case kDownArrowKey:
            return kLineDown;
        case kPageUpKey:
            return kPageUp;
        case kPageDownKey:
            return kPageDown;
        default:
            return std::nullopt;
    }
}

}  // namespace

bool BarKeys::Take(const KeyStroke& key) {
    if (std::optional<ScrollCode> step = ForceStepOf(key.scanCode)) {
        // A held key repeats its step, as a held arrow of the bar does.
        if (key.down) {
            bars_.StepForce(*step);
        }
        return true;
    }
    if (key.scanCode != kRightArrowKey && key.scanCode != kLeftArrowKey) {
        return false;
    }
    const auto held = std::find(bending_.begin(), bending_.end(), key.scanCode);
    if (key.down && held == bending_.end()) {
        bending_.push_back(key.scanCode);
        Bend();
    } else if (!key.down && held != bending_.end()) {
        // With the other bend key still down the wheel goes its way rather than to rest.
        bending_.erase(held);
        Bend();
    }
    return true;
}

void BarKeys::Bend() {
    if (bending_.empty()) {
        bars_.ReleaseFreq();
    } else {
        bars_.HoldFreq(bending_.back() == kRightArrowKey);
    }
}

}  // namespace plinkora
