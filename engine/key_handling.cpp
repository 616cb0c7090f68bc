#include "engine/key_handling.h"

#include "engine/key_table.h"
#include "engine/midi_output.h"
#include "engine/notes.h"
#include "engine/sustain_pedal.h"

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

void KeyDown(Performance& p, const KeyEntry& key, int keyIndex, const KeyStroke& stroke) {
    if (!JoinOrStartGroup(p, stroke.repeat)) {
        return;
    }
    p.recorder->RecordKey(stroke, p.octaveShift);
    StartKeyNote(p, p.liveVoices[static_cast<size_t>(keyIndex)], key.octave + p.octaveShift,
                 key.semitone);
    p.painter->DrawKeyCap(keyIndex, true, false, p.octaveShift);
}

void KeyUp(Performance& p, const KeyEntry& key, int keyIndex, const KeyStroke& stroke) {
    const int32_t shift = p.octaveShift;
    p.recorder->RecordKey(stroke, shift);
    LeaveGroup(p);
    StopKeyNote(p, p.liveVoices[static_cast<size_t>(keyIndex)], key.semitone);
    p.painter->DrawKeyCap(keyIndex, false, false, shift);
}

// The pedal joins no group and takes no octave shift; its repeats send nothing.
void PedalKey(Performance& p, const KeyStroke& stroke) {
    KeyVoice& pedal = p.liveVoices[kPedalScanCode];
    if (stroke.down) {
        if (stroke.repeat || !PressPedal(p, pedal)) {
            return;
        }
    } else {
        // Recorded even when Esc lifted it already, as a note's release is: playback has no
        // Esc, and would otherwise hold the pedal to the end.
        LiftPedal(p, pedal);
    }
    p.recorder->RecordKey(stroke, 0);
    p.painter->DrawKeyCap(static_cast<int>(kPedalScanCode), stroke.down, false, 0);
}

}  // namespace

void PlayKey(Performance& p, const KeyStroke& stroke) {
    if (!p.DeviceOpen()) {
        return;
    }
    if (stroke.scanCode == kPedalScanCode) {
        PedalKey(p, stroke);
        return;
    }
    const KeyEntry* key = PlayingKey(stroke.scanCode);
    if (key == nullptr) {
        return;
    }
    if (stroke.down) {
        KeyDown(p, *key, static_cast<int>(stroke.scanCode), stroke);
    } else {
        KeyUp(p, *key, static_cast<int>(stroke.scanCode), stroke);
    }
}

void ReleaseAllKeys(Performance& p) {
    SendAllNotesOff(p);  // first: it lifts the pedals the voices still remember
    p.ForgetHeldKeys();
}

void PressEscape(Performance& p) {
    if (!p.DeviceOpen()) {
        return;
    }
    ReleaseAllKeys(p);
    p.view->Repaint();
}

}  // namespace plinkora
