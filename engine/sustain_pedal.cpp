#include "engine/sustain_pedal.h"

#include "engine/midi_output.h"

namespace plinkora {

namespace {

uint32_t PedalWord(int32_t channel, uint8_t value) {
    return ShortMessage(kControlChange, static_cast<uint32_t>(channel), kSustainController, value);
}

}  // namespace

bool PressPedal(Performance& p, KeyVoice& pedal) {
    if (pedal.sounding) {
        return false;
    }
    static_cast<void>(PayOwedReleases(p));
    pedal = {true, p.bourdonOn, p.keySignature, p.channel, 0};
    p.midiOut->Send(PedalWord(p.channel, kPedalDownValue));
    if (p.bourdonOn) {
        p.midiOut->Send(PedalWord(kBourdonChannel, kPedalDownValue));
    }
    return true;
}

void LiftPedal(Performance& p, KeyVoice& pedal) {
    if (!pedal.sounding) {
        return;
    }
    pedal.sounding = false;
    static_cast<void>(SendRelease(p, PedalWord(pedal.channel, 0)));
    if (pedal.bourdon) {
        static_cast<void>(SendRelease(p, PedalWord(kBourdonChannel, 0)));
    }
}

void LiftPedals(Performance& p) {
    LiftPedal(p, p.liveVoices[kPedalScanCode]);
    LiftPedal(p, p.playedVoices[kPedalScanCode]);
}

}  // namespace plinkora
