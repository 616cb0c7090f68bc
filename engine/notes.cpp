#include "engine/notes.h"

#include "engine/midi_output.h"

namespace plinkora {

void StartKeyNote(Performance& p, KeyVoice& voice, int32_t octave, int32_t semitone) {
    voice = {true, p.bourdonOn, p.keySignature, p.channel, octave};
    SendNoteOn(*p.midiOut, p.keySignature, p.channel, octave, semitone, p.force);
    if (p.bourdonOn) {
        SendNoteOn(*p.midiOut, p.keySignature, kBourdonChannel, octave - 1, semitone, p.force);
    }
}

void StopKeyNote(Performance& p, KeyVoice& voice, int32_t semitone) {
    if (!voice.sounding) {
        return;
    }
    voice.sounding = false;
    SendNoteOff(*p.midiOut, voice.keySignature, voice.channel, voice.octave, semitone, 0);
    if (voice.bourdon) {
        SendNoteOff(*p.midiOut, voice.keySignature, kBourdonChannel, voice.octave - 1, semitone, 0);
    }
}

}  // namespace plinkora
