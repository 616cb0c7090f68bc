#include "engine/sustain_pedal.h"

#include "engine/midi_output.h"

namespace plinkora {

namespace {

uint32_t PedalWord(int32_t channel, uint8_t value) {
    return ShortMessage(kControlChange, static_cast<uint32_t>(channel), kSustainController, value);
}

// Remembered even when the device did not take it: a receiver may have it all the same.
void PutPedalDown(Performance& p, int32_t channel) {
    p.pedalChannels |= static_cast<uint16_t>(1u << channel);
    p.midiOut->Send(PedalWord(channel, kPedalDownValue));
}

}  // namespace

bool PressPedal(Performance& p, KeyVoice& pedal) {
    if (pedal.sounding) {
        return false;
    }
    static_cast<void>(PayOwedReleases(p));
    pedal = {true, p.bourdonOn, p.keySignature, p.channel, 0};
    PutPedalDown(p, p.channel);
    if (p.bourdonOn) {
        PutPedalDown(p, kBourdonChannel);
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

// The lifts are not trusted before this device too closes in order: one lost before they
// reached its receiver passes them on to the next opening.
void LiftPedalsLeftDown(Performance& p) {
    p.pedalChannels |= p.pedalsLeftDown;
    for (int32_t channel = 0; channel < 16; ++channel) {
        if ((p.pedalsLeftDown >> channel) & 1u) {
            static_cast<void>(SendRelease(p, PedalWord(channel, 0)));
        }
    }
    p.pedalsLeftDown = 0;
}

}  // namespace plinkora
