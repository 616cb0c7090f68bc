#include "engine/key_handling.h"

#include "engine/key_table.h"
#include "engine/midi_output.h"
#include "engine/notes.h"

namespace plinkora {

namespace {

int32_t& CounterOf(Performance& p, int32_t shift) {
    if (shift > 0) {
        return p.heldShift;
    }
    return shift < 0 ? p.heldCtrl : p.heldPlain;
}

bool GroupHeld(const Performance& p) {
    return p.heldPlain || p.heldShift || p.heldCtrl;
}

// Returns false for an auto-repeat, which sounds nothing.
bool JoinOrStartGroup(Performance& p, bool autoRepeat) {
    if (GroupHeld(p)) {
        if (autoRepeat) {
            return false;
        }
        ++CounterOf(p, p.octaveShift);
        return true;
    }
    // A new group reads the modifiers as they are now; Shift wins over Ctrl.
    if (p.modifiers->ShiftDown()) {
        p.octaveShift = 1;
    } else if (p.modifiers->CtrlDown()) {
        p.octaveShift = -1;
    } else {
        p.octaveShift = 0;
    }
    CounterOf(p, p.octaveShift) = 1;
    return !autoRepeat;
}

// A release without a counted press (after Esc, or a key held before the device opened) leaves
// the counter at zero, so no stale shift survives into the next group.
void LeaveGroup(Performance& p) {
    int32_t& counter = CounterOf(p, p.octaveShift);
    if (counter > 0) {
        --counter;
    }
    if (counter == 0 && p.octaveShift != 0) {
        p.octaveShift = 0;
    }
}

void KeyDown(Performance& p, const KeyEntry& key, int keyIndex, uint32_t keyParam) {
    if (!JoinOrStartGroup(p, (keyParam & kRepeatBit) != 0)) {
        return;
    }
    p.recorder->RecordPress(keyParam, p.octaveShift);
    StartKeyNote(p, p.liveVoices[static_cast<size_t>(keyIndex)], key.octave + p.octaveShift,
                 key.semitone);
    p.painter->DrawKeyCap(keyIndex, true, false, p.octaveShift);
}

void KeyUp(Performance& p, const KeyEntry& key, int keyIndex, uint32_t keyParam) {
    const int32_t shift = p.octaveShift;
    p.recorder->RecordRelease(keyParam, shift);
    LeaveGroup(p);
    StopKeyNote(p, p.liveVoices[static_cast<size_t>(keyIndex)], key.semitone);
    p.painter->DrawKeyCap(keyIndex, false, false, shift);
}

}  // namespace

void PlayKey(Performance& p, uint32_t message, uint32_t keyParam) {
    if (!p.deviceOpen) {
        return;
    }
    const uint32_t keyIndex = ScanCodeOf(keyParam);
    const KeyEntry* key = PlayingKey(keyIndex);
    if (key == nullptr) {
        return;
    }
    if (message == kKeyDown) {
        KeyDown(p, *key, static_cast<int>(keyIndex), keyParam);
    } else if (message == kKeyUp) {
        KeyUp(p, *key, static_cast<int>(keyIndex), keyParam);
    }
}

void ReleaseAllKeys(Performance& p) {
    p.ForgetHeldKeys();
    SendAllNotesOff(p);
}

void PressEscape(Performance& p) {
    if (!p.deviceOpen) {
        return;
    }
    ReleaseAllKeys(p);
    p.view->Repaint();
}

}  // namespace plinkora
