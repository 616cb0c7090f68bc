#include "engine/midi_output.h"

namespace plinkora {

bool SendShortMsg(MidiDevice& out, uint8_t status, int32_t channel, int32_t data1, int32_t data2) {
    return out.Send(ShortMessage(status, static_cast<uint32_t>(channel),
                                 static_cast<uint32_t>(data1), static_cast<uint32_t>(data2)));
}

namespace {

bool SendNote(MidiDevice& out, uint8_t status, int32_t keySignature, int32_t channel,
              int32_t octave, int32_t semitone, int32_t velocity) {
    std::optional<int32_t> note = NoteNumber(keySignature, octave, semitone);
    if (!note) {
        return false;
    }
    return SendShortMsg(out, status, channel, *note, velocity);
}

bool OpenChosenDevice(Performance& p) {
    p.midiOut = p.outputs->Open(p.deviceId);
    if (!p.midiOut) {
        p.view->ShowWarning(kCannotOpenDevice);
        return false;
    }
    return true;
}

}  // namespace

bool SendNoteOn(MidiDevice& out, int32_t keySignature, int32_t channel, int32_t octave,
                int32_t semitone, int32_t velocity) {
    return SendNote(out, kNoteOn, keySignature, channel, octave, semitone, velocity);
}

bool SendNoteOff(MidiDevice& out, int32_t keySignature, int32_t channel, int32_t octave,
                 int32_t semitone, int32_t velocity) {
    return SendNote(out, kNoteOff, keySignature, channel, octave, semitone, velocity);
}

bool SendProgramChange(MidiDevice& out, int32_t channel, int32_t program) {
    return SendShortMsg(out, kProgramChange, channel, program, 0);
}

bool SendPitchBend(MidiDevice& out, int32_t channel, int32_t bend) {
    return SendShortMsg(out, kPitchBend, channel, bend & 0x7F, bend >> 7);
}

void SendAllNotesOff(Performance& p) {
    if (!p.DeviceOpen()) {
        return;
    }
    for (int32_t channel = 0; channel < 16; ++channel) {
        SendShortMsg(*p.midiOut, kControlChange, channel, kAllNotesOffController, 0);
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
