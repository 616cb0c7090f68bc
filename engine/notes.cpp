#include "engine/notes.h"

#include "engine/midi_output.h"

namespace plinkora {

namespace {

void Release(Performance& p, int32_t keySignature, int32_t channel, int32_t octave,
             int32_t semitone) {
    if (std::optional<uint32_t> off =
            NoteMessage(kNoteOff, keySignature, channel, octave, semitone, 0)) {
        static_cast<void>(SendRelease(p, *off));
    }
}

}  // namespace

void StartKeyNote(Performance& p, KeyVoice& voice, int32_t octave, int32_t semitone) {
    // Releases still owed go first, so that a key pressed again is not silenced by its last
    // release arriving late.
    static_cast<void>(PayOwedReleases(p));
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
    Release(p, voice.keySignature, voice.channel, voice.octave, semitone);
    if (voice.bourdon) {
        Release(p, voice.keySignature, kBourdonChannel, voice.octave - 1, semitone);
    }
}

}  // namespace plinkora
