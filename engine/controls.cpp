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
    if (p.deviceOpen) {
        SendPitchBend(*p.midiOut, p.channel, bend);
    }
    return p.freqPosition;
}

// The dispatcher hands whole identifier ranges here; identifiers beyond the real choices
// would build messages with a wrong status or data byte, so they choose nothing.
void ChooseInstrument(Performance& p, int command) {
    if (command < kFirstInstrumentCommand || command > kFirstInstrumentCommand + 127) {
        return;
    }
    p.view->CheckMenuItem(kFirstInstrumentCommand + p.program, false);
    p.program = command - kFirstInstrumentCommand;
    p.view->CheckMenuItem(command, true);
    if (p.deviceOpen) {
        SendInstrument(p);
    }
    p.view->Repaint();
}

void ChooseTrack(Performance& p, int command) {
    if (command < kFirstTrackCommand || command >= kFirstTrackCommand + kTrackCount) {
        return;
    }
    p.view->CheckMenuItem(kFirstTrackCommand + p.channel, false);
    p.channel = command - kFirstTrackCommand;
    p.view->CheckMenuItem(command, true);
    if (p.deviceOpen) {
        SendInstrument(p);
    }
    p.view->Repaint();
}

void ChooseKeySignature(Performance& p, int command) {
    if (FindKeySignature(command) == nullptr) {
        return;
    }
    p.view->CheckMenuItem(p.keySignature, false);
    p.keySignature = command;
    p.view->CheckMenuItem(command, true);
    p.view->Repaint();
}

}  // namespace plinkora
