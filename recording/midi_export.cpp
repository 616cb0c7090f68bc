#include "recording/midi_export.h"

#include <algorithm>
#include <array>

#include "engine/key_signatures.h"
#include "engine/key_table.h"
#include "engine/sustain_pedal.h"
#include "recording/atomic_file.h"
#include "recording/byte_order.h"
#include "recording/document.h"

namespace plinkora {

namespace {

constexpr uint32_t kMaxVariableLength = 0x0FFFFFFF;  // four bytes of seven bits
constexpr uint32_t kClosingPauseTicks = 399;
constexpr uint8_t kVelocity = 0x7F;
constexpr int32_t kMelodyChannel = 0;
constexpr int32_t kBourdonTrackChannel = 15;

void PutVariableLength(std::vector<uint8_t>& out, uint64_t value) {
    auto rest = static_cast<uint32_t>(std::min<uint64_t>(value, kMaxVariableLength));
    uint8_t groups[4];
    int count = 0;
    do {
        groups[count++] = static_cast<uint8_t>(rest & 0x7F);
        rest >>= 7;
    } while (rest != 0);
    while (count > 1) {
        out.push_back(groups[--count] | 0x80);
    }
    out.push_back(groups[0]);
}

void PutTrackStart(std::vector<uint8_t>& out, int32_t channel, int32_t program) {
    // Set Tempo: 759494 microseconds per quarter note, three bytes big-endian.
    out.insert(out.end(), {0x00, 0xFF, 0x51, 0x03});
    for (int shift = 16; shift >= 0; shift -= 8) {
        out.push_back(static_cast<uint8_t>(kTempoMicroseconds >> shift));
    }
    out.push_back(0x00);
    out.push_back(static_cast<uint8_t>(0xC0 | channel));
    out.push_back(static_cast<uint8_t>(program));
}

// The octave shift each event sounds with when exported as played, as playback sounds it:
// a press its own, a release that of its key's press. Nothing for events playback skips.
class PlayedShifts {
  public:
    std::optional<int32_t> Of(const EventRecord& e) {
        if (e.octave_shift < -1 || e.octave_shift > 1) {
            return std::nullopt;
        }
        int32_t& held = heldShift_[ScanCodeOf(e.key_param) & 0xFF];
        if (e.message == kKeyDown) {
            held = e.octave_shift;
        }
        return held;
    }

  private:
    std::array<int32_t, 256> heldShift_{};
};

void PutPedal(std::vector<uint8_t>& track, int32_t channel, bool down) {
    track.push_back(static_cast<uint8_t>(0xB0 | channel));
    track.push_back(kSustainController);
    track.push_back(down ? kPedalDownValue : 0);
}

// One track: the melody (channel 0, with the closing pause) or the bourdon an octave lower
// (channel 15). Events whose key plays nothing are left out, their time carried into the next
// delta, so everything after them keeps its place.
std::vector<uint8_t> BuildTrack(std::span<const EventRecord> events, int32_t transposition,
                                int32_t program, bool bourdonTrack, bool asPlayed) {
    const int32_t channel = bourdonTrack ? kBourdonTrackChannel : kMelodyChannel;
    const int32_t octaveOffset = bourdonTrack ? -1 : 0;
    std::vector<uint8_t> track;
    PutTrackStart(track, channel, program);
    PlayedShifts played;
    uint64_t pendingTicks = 0;
    bool pedalDown = false;
    for (const EventRecord& e : events) {
        pendingTicks += DelayToTicks(e.delay_ms);
        if (ScanCodeOf(e.key_param) == kPedalScanCode) {
            PutVariableLength(track, pendingTicks);
            pendingTicks = 0;
            pedalDown = e.message == kKeyDown;
            PutPedal(track, channel, pedalDown);
            continue;
        }
        const KeyEntry* key = PlayingKey(ScanCodeOf(e.key_param));
        const std::optional<int32_t> shift = asPlayed ? played.Of(e) : 0;
        if (key == nullptr || !shift) {
            continue;
        }
        PutVariableLength(track, pendingTicks);
        pendingTicks = 0;
        const uint8_t status = e.message == kKeyDown ? 0x90 : 0x80;
        track.push_back(static_cast<uint8_t>(status | channel));
        track.push_back(static_cast<uint8_t>(12 * (key->octave + octaveOffset + *shift) +
                                             key->semitone + transposition));
        track.push_back(kVelocity);
    }
    // A take finished with the space bar held ends with the pedal down; a player of the file
    // would keep it down for whatever it plays next.
    if (pedalDown) {
        PutVariableLength(track, pendingTicks);
        pendingTicks = 0;
        PutPedal(track, channel, false);
    }
    if (!bourdonTrack) {
        // A silent note 399 ticks after the last event holds the end of the piece open.
        PutVariableLength(track, pendingTicks + kClosingPauseTicks);
        const uint8_t closing[] = {0x90, 0x01, 0x00, 0x00, 0x80, 0x01, 0x00};
        track.insert(track.end(), std::begin(closing), std::end(closing));
    }
    const uint8_t endOfTrack[] = {0x00, 0xFF, 0x2F, 0x00};
    track.insert(track.end(), std::begin(endOfTrack), std::end(endOfTrack));
    return track;
}

bool PutTrack(std::vector<uint8_t>& file, const std::vector<uint8_t>& track) {
    if (track.size() > UINT32_MAX) {
        return false;
    }
    file.insert(file.end(), {'M', 'T', 'r', 'k'});
    bytes::PutBe32(file, static_cast<uint32_t>(track.size()));
    file.insert(file.end(), track.begin(), track.end());
    return true;
}

}  // namespace

uint32_t DelayToTicks(uint32_t delayMs) {
    const uint64_t ticks =
        uint64_t{delayMs} * (uint64_t{kTicksPerQuarter} * 1000) / kTempoMicroseconds;
    return static_cast<uint32_t>(std::min<uint64_t>(ticks, kMaxVariableLength));
}

std::optional<std::vector<uint8_t>> BuildMidiFile(std::span<const EventRecord> events,
                                                  int32_t keySignature, int32_t program,
                                                  bool bourdonOn, bool asPlayed) {
    const std::optional<int32_t> transposition = Transposition(keySignature);
    if (!transposition || program < 0 || program > 127) {
        return std::nullopt;
    }
    std::vector<uint8_t> file;
    file.insert(file.end(), {'M', 'T', 'h', 'd'});
    bytes::PutBe32(file, 6);
    bytes::PutBe16(file, bourdonOn ? 1 : 0);
    bytes::PutBe16(file, bourdonOn ? 2 : 1);
    bytes::PutBe16(file, kTicksPerQuarter);
    if (!PutTrack(file, BuildTrack(events, *transposition, program, false, asPlayed))) {
        return std::nullopt;
    }
    if (bourdonOn && !PutTrack(file, BuildTrack(events, *transposition, program, true, asPlayed))) {
        return std::nullopt;
    }
    return file;
}

DocumentResult ExportMidiFile(std::span<const EventRecord> events, int32_t keySignature,
                              int32_t program, bool bourdonOn, const std::string& path,
                              bool asPlayed) {
    std::optional<std::vector<uint8_t>> file;
    try {
        file = BuildMidiFile(events, keySignature, program, bourdonOn, asPlayed);
    } catch (const std::bad_alloc&) {
        return kCannotWrite;
    }
    if (!file) {
        return kCannotWrite;
    }
    return WrittenDocument(WriteFileAtomically(
        path, [&](FileOutput& out) { return out.Write(file->data(), file->size()); }));
}

}  // namespace plinkora
