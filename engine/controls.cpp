#include "engine/controls.h"

#include <algorithm>

#include "engine/midi_output.h"

namespace plinkora {

std::optional<int32_t> HandleForceScroll(Performance& p, int code, int32_t thumbPosition) {
    int32_t force = p.force;
    switch (code) {
        case kLineUp:
            force += 1;
            break;
        case kLineDown:
            force -= 1;
            break;
        case kPageUp:
            force += 8;
            break;
        case kPageDown:
            force -= 8;
            break;
        case kThumbPosition:
        case kThumbTrack:
            force = 128 - thumbPosition;
            break;
        default:
            return std::nullopt;
    }
    p.force = std::clamp(force, 1, kMaxForce);
    return ForceBarPosition(p.force);
}

std::optional<int32_t> HandleFreqScroll(Performance& p, int code, int32_t thumbPosition) {
    int32_t bend;
    if (code == kThumbTrack) {
        bend = std::clamp(0x3FFF - thumbPosition, 0, 0x3FFF);
    } else if (code == kThumbPosition) {
        bend = kBendRest;
    } else {
        return std::nullopt;
    }
    p.freqPosition = FreqBarPosition(bend);
    // The bourdon channel is never bent.
    if (p.DeviceOpen()) {
        SendPitchBend(*p.midiOut, p.channel, bend);
    }
    return p.freqPosition;
}

namespace {

// The program and the track both go out as program changes on the channels they concern.
void ChooseSounding(Performance& p, int32_t& setting, int32_t value, int32_t count) {
    if (value < 0 || value >= count) {
        return;
    }
    setting = value;
    if (p.DeviceOpen()) {
        SendInstrument(p);
    }
    p.view->Repaint();
}

}  // namespace

void ChooseInstrument(Performance& p, int32_t program) {
    ChooseSounding(p, p.program, program, kProgramCount);
}

void ChooseTrack(Performance& p, int32_t channel) {
    ChooseSounding(p, p.channel, channel, kTrackCount);
}

void ChooseKeySignature(Performance& p, int32_t keySignature) {
    if (FindKeySignature(keySignature) == nullptr) {
        return;
    }
    p.keySignature = keySignature;
    p.view->Repaint();
}

void SetBourdon(Performance& p, bool on) {
    p.bourdonOn = on;
}

}  // namespace plinkora
