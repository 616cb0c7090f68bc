#include "engine/midi_output.h"

#include <algorithm>

#include "engine/sustain_pedal.h"

namespace plinkora {

bool SendShortMsg(MidiDevice& out, uint8_t status, int32_t channel, int32_t data1, int32_t data2) {
    return out.Send(ShortMessage(status, static_cast<uint32_t>(channel),
                                 static_cast<uint32_t>(data1), static_cast<uint32_t>(data2)));
}

namespace {

bool SendNote(MidiDevice& out, uint8_t status, int32_t keySignature, int32_t channel,
              int32_t octave, int32_t semitone, int32_t velocity) {
    std::optional<uint32_t> word =
        NoteMessage(status, keySignature, channel, octave, semitone, velocity);
    return word && out.Send(*word);
}

void Owe(Performance& p, uint32_t word) {
    std::vector<uint32_t>& owed = p.owedReleases;
    if (std::find(owed.begin(), owed.end(), word) != owed.end() || owed.size() == owed.capacity()) {
        return;
    }
    owed.push_back(word);
    if (owed.size() == 1) {
        p.view->ReleasesOwed();
    }
}

bool OpenChosenDevice(Performance& p) {
    p.midiOut = p.outputs->Open(p.deviceId);
    if (!p.midiOut) {
        p.view->ShowWarning(kCannotOpenDevice);
        return false;
    }
    if (p.silenceOnOpen) {
        p.silenceOnOpen = false;
        LiftPedalsLeftDown(p);
        SendAllNotesOff(p);
    }
    p.midiOut->KeepAwake(p.keepAwake);
    return true;
}

}  // namespace

bool SendNoteOn(MidiDevice& out, int32_t keySignature, int32_t channel, int32_t octave,
                int32_t semitone, int32_t velocity) {
    return SendNote(out, kNoteOn, keySignature, channel, octave, semitone, velocity);
}

std::optional<uint32_t> NoteMessage(uint8_t status, int32_t keySignature, int32_t channel,
                                    int32_t octave, int32_t semitone, int32_t velocity) {
    std::optional<int32_t> note = NoteNumber(keySignature, octave, semitone);
    if (!note) {
        return std::nullopt;
    }
    return ShortMessage(status, static_cast<uint32_t>(channel), static_cast<uint32_t>(*note),
                        static_cast<uint32_t>(velocity));
}

bool SendProgramChange(MidiDevice& out, int32_t channel, int32_t program) {
    return SendShortMsg(out, kProgramChange, channel, program, 0);
}

bool SendPitchBend(MidiDevice& out, int32_t channel, int32_t bend) {
    return SendShortMsg(out, kPitchBend, channel, bend & 0x7F, bend >> 7);
}

bool SendRelease(Performance& p, uint32_t word) {
    if (PayOwedReleases(p) && p.midiOut->Send(word)) {
        return true;
    }
    Owe(p, word);
    return false;
}

bool PayOwedReleases(Performance& p) {
    std::vector<uint32_t>& owed = p.owedReleases;
    if (owed.empty() || !p.DeviceOpen()) {
        return owed.empty();
    }
    const auto refused = std::find_if(owed.begin(), owed.end(),
                                      [&p](uint32_t word) { return !p.midiOut->Send(word); });
    owed.erase(owed.begin(), refused);
    return owed.empty();
}

void SendAllNotesOff(Performance& p) {
    if (!p.DeviceOpen()) {
        return;
    }
    LiftPedals(p);
    for (uint32_t channel = 0; channel < 16; ++channel) {
        SendRelease(p, ShortMessage(kControlChange, channel, kAllNotesOffController, 0));
    }
}

void KeepOutputAwake(Performance& p, bool awake) {
    p.keepAwake = awake;
    if (p.DeviceOpen()) {
        p.midiOut->KeepAwake(awake);
    }
}

void SendInstrument(Performance& p) {
    SendProgramChange(*p.midiOut, p.channel, p.program);
    SendProgramChange(*p.midiOut, kBourdonChannel, p.program);
}

void ResolveDefaultDevice(Performance& p) {
    if (!p.outputs->MapperName()) {
        p.deviceId = 0;
    }
}

bool OpenMidiDeviceAtStartup(Performance& p) {
    if (!OpenChosenDevice(p)) {
        return false;
    }
    SendProgramChange(*p.midiOut, p.channel, p.program);
    return true;
}

void OpenMidiDevice(Performance& p) {
    if (!p.DeviceOpen() && OpenChosenDevice(p)) {
        SendInstrument(p);
    }
    p.view->Repaint();
}

void CloseMidiDevice(Performance& p) {
    if (p.DeviceOpen()) {
        SendAllNotesOff(p);
        p.ForgetHeldKeys();  // releases are ignored while the device is closed
        // A lost device may have dropped even what it took, the pedal's lift among it.
        if (!p.owedReleases.empty() || p.midiOut->Lost()) {
            p.owedReleases.clear();
            p.silenceOnOpen = true;
            p.pedalsLeftDown |= p.pedalChannels;
        }
        p.pedalChannels = 0;
        p.midiOut.reset();
    }
    p.view->Repaint();
}

void ChooseMidiDevice(Performance& p, int32_t deviceId) {
    p.deviceId = deviceId;
    if (p.DeviceOpen()) {
        CloseMidiDevice(p);
        OpenMidiDevice(p);
    }
    p.view->Repaint();
}

}  // namespace plinkora
