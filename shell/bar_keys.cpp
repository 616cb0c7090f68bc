#include "shell/bar_keys.h"

#include <QScrollBar>
#include <algorithm>
#include <optional>

#include "shell/key_input.h"

namespace plinkora {

namespace {

// The Force bar stands upside down: more force is a step towards its top.
std::optional<QAbstractSlider::SliderAction> ForceStepOf(uint32_t scanCode) {
    switch (scanCode) {
        case kUpArrowKey:
            return QAbstractSlider::SliderSingleStepSub;
        case kDownArrowKey:
            return QAbstractSlider::SliderSingleStepAdd;
        case kPageUpKey:
            return QAbstractSlider::SliderPageStepSub;
        case kPageDownKey:
            return QAbstractSlider::SliderPageStepAdd;
        default:
            return std::nullopt;
    }
}

}  // namespace

BarKeys::BarKeys(QScrollBar& force, QScrollBar& freq) : force_(force), freq_(freq) {}

bool BarKeys::Take(const KeyStroke& key) {
    if (std::optional<QAbstractSlider::SliderAction> step = ForceStepOf(key.scanCode)) {
        // A held key repeats its step, as a held arrow of the bar does.
        if (key.down) {
            force_.triggerAction(*step);
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
        freq_.setSliderDown(false);  // springs back as a released thumb does
        return;
    }
    // The thumb held at the end of the bar: its top bends up.
    freq_.setSliderDown(true);
    freq_.setSliderPosition(bending_.back() == kRightArrowKey ? freq_.minimum() : freq_.maximum());
}

}  // namespace plinkora
