#pragma once

// How a key becomes a note: shell/main_window.cpp hands the window's key event to
// shell/key_input.cpp, which makes it a KeyStroke (engine/key_stroke.h; a click on a cap in
// view/keyboard_mouse.cpp makes the same). engine/key_handling.cpp's PlayKey settles the octave
// shift of the key's group, tells the recorder (recording/recording.cpp packs the stroke into a
// stored EventRecord) and starts the note in engine/notes.cpp, which engine/midi_output.cpp
// turns into a MIDI word for the device: the built-in synthesizer
// (engine/devices/builtin_synth.cpp) or a MIDI port (engine/devices/midi_ports.cpp; Plinkora's own
// JACK port in engine/devices/jack_midi_port.cpp). On Windows, win32/main_window_messages.cpp
// takes WM_KEYDOWN and WM_KEYUP, win32/key_input.cpp reads the scan code from the key data, and
// the word goes to a WinMM output (engine/devices/winmm_outputs.cpp).
//
// A menu command: shell/menu_bar.cpp builds the Qt menus from window/menu_table.cpp; a chosen
// item's identifier (window/command_ids.h) goes to DispatchCommand in window/commands.cpp,
// which calls the engine (engine/midi_output.cpp for the device) or the transport.
//
// How a recorded event becomes a note again: window/transport.cpp starts the scheduler
// (recording/scheduler.cpp), which waits for each event's deadline (recording/due_times.h) on
// its own thread and posts the event to recording/playback_queue.cpp; shell/thread_waker.cpp
// wakes the window thread, which drains the queue into PlayRecordedEvent
// (recording/playback.cpp), and that starts or stops the key's note in engine/notes.cpp as a
// live key does. recording/offline_render.cpp plays a list the same way, faster than real time.

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "engine/key_signatures.h"
#include "engine/key_stroke.h"
#include "engine/midi_device.h"

namespace plinkora {

inline constexpr int32_t kMidiMapper = -1;
inline constexpr int32_t kBourdonChannel = 15;
inline constexpr int32_t kMaxForce = 127;
inline constexpr int32_t kBendRestPosition = 8192;  // the Freq bar's position at rest
// A note off for each note of each channel, and All Notes Off for each channel.
inline constexpr size_t kMostOwedReleases = 16 * 128 + 16;

// The live state of Shift and Ctrl at the moment a key is handled.
class ModifierKeys {
  public:
    virtual ~ModifierKeys() = default;
    virtual bool ShiftDown() const = 0;
    virtual bool CtrlDown() const = 0;
};

// Receives every key the engine sounds while a recording may be running.
class KeyRecorder {
  public:
    virtual ~KeyRecorder() = default;
    virtual void RecordKey(const KeyStroke& key, int32_t octaveShift) = 0;
};

// Draws one key cap of the on-screen keyboard.
class KeyCapPainter {
  public:
    virtual ~KeyCapPainter() = default;
    // shift is -1, 0 or +1 and tints a pressed cap; from playback tells where it came from.
    virtual void DrawKeyCap(int keyIndex, bool pressed, bool fromPlayback, int32_t shift) = 0;
};

// What the engine's commands show in the window: repaints and warnings.
class EngineView {
  public:
    virtual ~EngineView() = default;
    virtual void Repaint() = 0;
    virtual void ShowWarning(std::string_view text) = 0;
    // The device did not take a release: PayOwedReleases should be tried again shortly, as no
    // key may come to carry it.
    virtual void ReleasesOwed() {}
};

// Do-nothing defaults, so the engine runs before a window or a recorder exists.
struct NoModifierKeys final : ModifierKeys {
    bool ShiftDown() const override { return false; }
    bool CtrlDown() const override { return false; }
};
struct NoKeyRecorder final : KeyRecorder {
    void RecordKey(const KeyStroke&, int32_t) override {}
};
struct NoKeyCapPainter final : KeyCapPainter {
    void DrawKeyCap(int, bool, bool, int32_t) override {}
};
struct NoEngineView final : EngineView {
    void Repaint() override {}
    void ShowWarning(std::string_view) override {}
};

// What a key's press set sounding, so that its release silences exactly that note even when
// the key signature, the track or the bourdon changed while the key was down.
struct KeyVoice {
    bool sounding = false;
    bool bourdon = false;
    int32_t keySignature = 0;
    int32_t channel = 0;
    int32_t octave = 0;  // the key's octave with its shift
};
using KeyVoices = std::array<KeyVoice, 256>;  // by scan code

// Everything that decides what sounds: device, settings and the held-key groups. One instance
// lives as long as the window; tests build fresh ones. Window thread only.
struct Performance {
    explicit Performance(MidiOutputs& outputs) : outputs(&outputs) {
        owedReleases.reserve(kMostOwedReleases);
    }
    Performance(const Performance&) = delete;
    Performance& operator=(const Performance&) = delete;

    // MIDI output: the device is open while midiOut holds it.
    MidiOutputs* outputs;
    int32_t deviceId = kMidiMapper;
    std::unique_ptr<MidiDevice> midiOut;
    bool DeviceOpen() const { return midiOut != nullptr; }

    // Releases the device did not take (a full port queue, say), in the order they were due.
    // They go out before anything else once it takes words again. Room is reserved for every
    // distinct one, so owing allocates nothing.
    std::vector<uint32_t> owedReleases;
    // The device closed owing releases, or lost: the next one opened gets All Notes Off.
    bool silenceOnOpen = false;
    // Bit c: the pedal went down on channel c since the device opened. A device that closes
    // lost or owing releases passes its bits to pedalsLeftDown, which the next opening lifts
    // before its All Notes Off: a receiver holds every note under a pedal left down.
    uint16_t pedalChannels = 0;
    uint16_t pedalsLeftDown = 0;
    // A playback runs: an output that sleeps after a silence stays up.
    bool keepAwake = false;

    // Settings
    int32_t keySignature = kDefaultKeySignature;
    int32_t channel = 0;  // 0..14, shown as Track 1..15
    int32_t program = 0;
    int32_t force = kMaxForce;
    int32_t freqPosition = kBendRestPosition;
    bool bourdonOn = false;

    // Key groups: the shift decided by the first key of a group holds until its last release.
    int32_t octaveShift = 0;
    int32_t heldPlain = 0;
    int32_t heldShift = 0;
    int32_t heldCtrl = 0;

    // The notes sounding for keys played live and for keys of a playback, kept apart because
    // a playback may press the key a player is holding.
    KeyVoices liveVoices{};
    KeyVoices playedVoices{};

    // After All Notes Off, or when the device closes with keys down (their releases will be
    // ignored): no group is held and no key sounds.
    void ForgetHeldKeys() {
        heldPlain = heldShift = heldCtrl = 0;
        liveVoices.fill({});
        playedVoices.fill({});
    }

    // Platform
    const ModifierKeys* modifiers = &noModifiers_;
    KeyRecorder* recorder = &noRecorder_;
    KeyCapPainter* painter = &noPainter_;
    EngineView* view = &noView_;

  private:
    NoModifierKeys noModifiers_;
    NoKeyRecorder noRecorder_;
    NoKeyCapPainter noPainter_;
    NoEngineView noView_;
};

}  // namespace plinkora
