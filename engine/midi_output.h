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
// A note on sends nothing, and returns false, under an unknown key signature.
bool SendNoteOn(MidiDevice& out, int32_t keySignature, int32_t channel, int32_t octave,
                int32_t semitone, int32_t velocity);
// The word of a note on or off; none under an unknown key signature.
std::optional<uint32_t> NoteMessage(uint8_t status, int32_t keySignature, int32_t channel,
                                    int32_t octave, int32_t semitone, int32_t velocity);
bool SendProgramChange(MidiDevice& out, int32_t channel, int32_t program);
bool SendPitchBend(MidiDevice& out, int32_t channel, int32_t bend);

// Sends a release (a note off, All Notes Off) after those still owed. One the device does not
// take is owed: a note must never be left sounding because a queue was full for a moment.
bool SendRelease(Performance& p, uint32_t word);
// Sends what is owed, in order, until the device refuses one. True when nothing is owed now.
bool PayOwedReleases(Performance& p);
// All Notes Off on channels 0..15 in order, after lifting a pedal that is down; nothing while
// the device is closed.
void SendAllNotesOff(Performance& p);
// While a playback runs the device's output stays up through long rests.
void KeepOutputAwake(Performance& p, bool awake);
// The current program on the performance channel, then on the bourdon channel.
void SendInstrument(Performance& p);

// Before the menu is built: without a mapper the first device is the one opened.
void ResolveDefaultDevice(Performance& p);
// The opening at start-up: only the performance channel hears the program. False (after the
// warning) when the device cannot be opened. A device that closed lost or owing releases is
// silenced when a device opens again: the pedal lifted where it had gone down on it, then All
// Notes Off on every channel.
[[nodiscard]] bool OpenMidiDeviceAtStartup(Performance& p);
void OpenMidiDevice(Performance& p);
void CloseMidiDevice(Performance& p);
// deviceId: -1 for the mapper, else 0..kMaxListedDevices - 1. An open device is closed and
// the chosen one opened.
void ChooseMidiDevice(Performance& p, int32_t deviceId);

}  // namespace plinkora
