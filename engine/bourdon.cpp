#include "engine/bourdon.h"

#include "engine/midi_output.h"

namespace plinkora {

void ToggleBourdon(Performance& p) {
    p.bourdonOn = !p.bourdonOn;
    p.view->CheckMenuItem(kBourdonCommand, p.bourdonOn);
}

void SetBourdonFromDocument(Performance& p, uint32_t storedValue) {
    p.bourdonOn = storedValue == 1;
    p.view->CheckMenuItem(kBourdonCommand, p.bourdonOn);
}

void SoundKeyNote(Performance& p, bool down, int32_t octave, int32_t semitone) {
    const auto send = down ? SendNoteOn : SendNoteOff;
    const int32_t velocity = down ? p.force : 0;
    send(*p.midiOut, p.keySignature, p.channel, octave, semitone, velocity);
    if (p.bourdonOn) {
        send(*p.midiOut, p.keySignature, kBourdonChannel, octave - 1, semitone, velocity);
    }
}

}  // namespace plinkora
