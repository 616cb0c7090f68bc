#pragma once

#include <cstdint>

#include "engine/performance.h"

namespace plinkora {

// Message kinds (the high nibble of the status byte).
inline constexpr uint8_t kNoteOff = 0x80;
inline constexpr uint8_t kNoteOn = 0x90;
inline constexpr uint8_t kControlChange = 0xB0;
inline constexpr uint8_t kProgramChange = 0xC0;
inline constexpr uint8_t kPitchBend = 0xE0;
inline constexpr uint8_t kAllNotesOffController = 123;

// The most devices offered: the Device menu has room for 256.
inline constexpr int kMaxListedDevices = 256;

inline constexpr const char* kCannotOpenDevice = "Cannot open MIDI device";

// Packs status | channel | data1 << 8 | data2 << 16. Callers keep every part in range.
constexpr uint32_t ShortMessage(uint32_t status, uint32_t channel, uint32_t data1, uint32_t data2) {
    return status | channel | (data1 << 8) | (data2 << 16);
}

bool SendShortMsg(MidiDevice& out, uint8_t status, int32_t channel, int32_t data1, int32_t data2);
// Note on and off send nothing, and return false, under an unknown key signature.
bool SendNoteOn(MidiDevice& out, int32_t keySignature, int32_t channel, int32_t octave,
                int32_t semitone, int32_t velocity);
bool SendNoteOff(MidiDevice& out, int32_t keySignature, int32_t channel, int32_t octave,
                 int32_t semitone, int32_t velocity);
bool SendProgramChange(MidiDevice& out, int32_t channel, int32_t program);
bool SendPitchBend(MidiDevice& out, int32_t channel, int32_t bend);

// All Notes Off on channels 0..15 in order; nothing while the device is closed.
void SendAllNotesOff(Performance& p);
// The current program on the performance channel, then on the bourdon channel.
void SendInstrument(Performance& p);

// Before the menu is built: without a mapper the first device is the one opened.
void ResolveDefaultDevice(Performance& p);
// The opening at start-up: only the performance channel hears the program. False (after the
// warning) when the device cannot be opened.
[[nodiscard]] bool OpenMidiDeviceAtStartup(Performance& p);
void OpenMidiDevice(Performance& p);
void CloseMidiDevice(Performance& p);
// deviceId: -1 for the mapper, else 0..kMaxListedDevices - 1. An open device is closed and
// the chosen one opened.
void ChooseMidiDevice(Performance& p, int32_t deviceId);

}  // namespace plinkora
