#include "recording/playback.h"

#include "engine/key_handling.h"
#include "engine/key_table.h"
#include "engine/midi_output.h"
#include "engine/notes.h"
#include "engine/sustain_pedal.h"

namespace plinkora {

namespace {

void PlayPedalEvent(Performance& p, const EventRecord& event) {
    KeyVoice& pedal = p.playedVoices[kPedalScanCode];
    const bool down = event.message != kKeyUp;
    if (down) {
        PressPedal(p, pedal);
    } else {
        LiftPedal(p, pedal);
    }
    p.painter->DrawKeyCap(static_cast<int>(kPedalScanCode), down, true, 0);
}

}  // namespace

void PlayRecordedEvent(Performance& p, const EventRecord& event) {
    if (!p.DeviceOpen()) {
        return;
    }
    const uint32_t keyIndex = ScanCodeOf(event.key_param);
    if (keyIndex == kPedalScanCode) {
        PlayPedalEvent(p, event);
        return;
    }
    const KeyEntry* key = PlayingKey(keyIndex);
    // A recording only ever holds shifts of -1, 0 and +1; a document can hold anything, and
    // any other value would leave the note range and the three cap colours.
    if (key == nullptr || event.octave_shift < -1 || event.octave_shift > 1) {
        return;
    }
    const bool down = event.message != kKeyUp;
    KeyVoice& voice = p.playedVoices[keyIndex];
    if (down) {
        StartKeyNote(p, voice, key->octave + event.octave_shift, key->semitone);
    } else {
        StopKeyNote(p, voice, key->semitone);
    }
    p.painter->DrawKeyCap(static_cast<int>(keyIndex), down, true, event.octave_shift);
}

void EndPlaying(Performance& p, PlaybackScheduler& scheduler) {
    scheduler.StopPlayback();
    KeepOutputAwake(p, false);
    ReleaseAllKeys(p);
    p.view->Repaint();
}

}  // namespace plinkora
